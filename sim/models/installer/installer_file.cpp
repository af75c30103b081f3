// The "installer" section of the machine file (described in sim/README.md):
// products registered with the Windows Installer.
#include "sim/models/installer/installer_file.h"

#include "sim/core/guid.h"

namespace sim {
namespace {

bool LoadGuid(const Json& value, const std::string& where, std::string* out, std::string* error) {
  if (!value.is_string() || !IsBracedGuid(value.get<std::string>())) {
    *error = where + " must be a GUID in braces";
    return false;
  }
  *out = value.get<std::string>();
  return true;
}

bool LoadContextName(const Json& value, const std::string& where, InstallContext* context,
                     std::string* error) {
  const std::string text = value.is_string() ? value.get<std::string>() : "";
  if (text == "machine") *context = InstallContext::Machine;
  else if (text == "user") *context = InstallContext::UserUnmanaged;
  else if (text == "userManaged") *context = InstallContext::UserManaged;
  else {
    *error = where + " must be \"machine\", \"user\" or \"userManaged\"";
    return false;
  }
  return true;
}

bool LoadProduct(const Json& item, const std::string& where, InstalledProduct* product,
                 std::string* error) {
  if (!ExpectType(item, Json::value_t::object, where, error)) return false;
  for (const auto& [key, value] : item.items()) {
    const std::string field = where + " \"" + key + "\"";
    if (key == "productCode") {
      if (!LoadGuid(value, field, &product->productCode, error)) return false;
    } else if (key == "upgradeCode") {
      if (!LoadGuid(value, field, &product->upgradeCode, error)) return false;
    } else if (key == "context") {
      if (!LoadContextName(value, field, &product->context, error)) return false;
    } else if (key == "properties") {
      if (!ExpectType(value, Json::value_t::object, field, error)) return false;
      for (const auto& [name, text] : value.items()) {
        if (!ExpectType(text, Json::value_t::string, field + " \"" + name + "\"", error)) return false;
        product->properties[name] = text.get<std::string>();
      }
    } else if (key == "failures") {
      if (!ExpectType(value, Json::value_t::object, field, error)) return false;
      for (const auto& [name, code] : value.items()) {
        std::uint32_t status = 0;
        const std::string where = field + " \"" + name + "\"";
        if (!ExpectNumber(code, where, 0xFFFFFFFFu, &status, error)) return false;
        if (status == 0) {
          *error = where + " must be a failure, not 0";
          return false;
        }
        product->failures[name] = static_cast<platform::Status>(status);
      }
    } else if (key == "unterminated") {
      if (!ExpectType(value, Json::value_t::boolean, field, error)) return false;
      product->unterminated = value.get<bool>();
    } else {
      *error = where + ": unknown key \"" + key + "\"";
      return false;
    }
  }
  if (product->productCode.empty()) {
    *error = where + " needs a \"productCode\"";
    return false;
  }
  return true;
}

}  // namespace

bool LoadInstallerSection(const Json& section, std::vector<InstalledProduct>& products,
                          std::string* error) {
  if (!ExpectType(section, Json::value_t::object, "\"installer\"", error)) return false;
  for (const auto& [key, value] : section.items()) {
    if (key != "products") {
      *error = "\"installer\": unknown key \"" + key + "\"";
      return false;
    }
    if (!ExpectType(value, Json::value_t::array, "\"installer\" \"products\"", error)) return false;
    for (std::size_t i = 0; i < value.size(); ++i) {
      InstalledProduct product;
      if (!LoadProduct(value[i], "installer product " + std::to_string(i + 1), &product, error)) {
        return false;
      }
      products.push_back(std::move(product));
    }
  }
  return true;
}

}  // namespace sim
