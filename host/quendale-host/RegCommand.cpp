// reg: the current user's registry values, with their types.
#include <iostream>

#include "HostCommands.h"
#include "HostError.h"
#include "RegistryValueText.h"
#include "platform/Registry.h"

namespace quendale {
namespace {

using corvenna::TRegistry;

void ExpectCount(const Arguments& args, size_t count, const char* form) {
  if (args.size() != count) throw UsageError(std::string("usage: quendale-host reg ") + form);
}

std::string Where(const std::string& key, const std::string& name) { return "'" + name + "' in '" + key + "'"; }

void SetValue(const std::string& key, const std::string& name, const std::string& type, const std::string& text) {
  const corvenna::TRegValue value = ParseRegValue(type, text);
  TRegistry registry;
  if (!registry.OpenKey(key, true)) throw HostError("cannot open '" + key + "' for writing: " + registry.LastError());
  registry.WriteRawData(name, value.type, value.data);
}

void GetValue(const std::string& key, const std::string& name) {
  TRegistry registry(corvenna::KEY_READ);
  corvenna::TRegValue value;
  if (!registry.OpenKey(key, false)) throw HostError("cannot read " + Where(key, name) + ": " + registry.LastError());
  if (!registry.ReadRawData(name, value)) throw HostError("no value " + Where(key, name));
  std::cout << FormatRegValue(value) << std::endl;
}

void DeleteValue(const std::string& key, const std::string& name) {
  TRegistry registry;
  if (!registry.OpenKey(key, false))
    throw HostError("cannot delete " + Where(key, name) + ": " + registry.LastError());
  if (!registry.DeleteValue(name)) throw HostError("cannot delete " + Where(key, name) + ": no such value");
}

}  // namespace

void RunReg(const Arguments& args) {
  const std::string action = args.empty() ? std::string() : args[0];
  if (action == "set") {
    ExpectCount(args, 5, "set KEY NAME TYPE VALUE");
    return SetValue(args[1], args[2], args[3], args[4]);
  }
  if (action == "get") {
    ExpectCount(args, 3, "get KEY NAME");
    return GetValue(args[1], args[2]);
  }
  if (action == "delete") {
    ExpectCount(args, 3, "delete KEY NAME");
    return DeleteValue(args[1], args[2]);
  }
  throw UsageError("reg needs set, get or delete");
}

}  // namespace quendale
