#pragma once
// A query of its own on the host database that DM is connected to, for the
// look-ups that must not move the cursor of any of DM's datasets.
#include <initializer_list>

#include "platform/Dataset.h"

namespace corvenna {

class THostQuery {
 public:
  // The SQL, one line each.
  explicit THostQuery(std::initializer_list<const char*> lines);
  TQuery& operator*() { return query_; }
  TQuery* operator->() { return &query_; }

 private:
  TQuery query_;
};

}  // namespace corvenna
