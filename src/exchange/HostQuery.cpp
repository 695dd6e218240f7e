#include "exchange/HostQuery.h"

#include "data/OtaDataModule.h"

namespace corvenna {

THostQuery::THostQuery(std::initializer_list<const char*> lines) {
  query_.SetDatabaseName(DM().Quendale.DatabaseName());
  for (const char* line : lines) query_.SQL().Add(line);
  query_.Prepare();
}

}  // namespace corvenna
