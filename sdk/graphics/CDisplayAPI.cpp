#include "sdk/graphics/CDisplayAPI.h"

#include <cstring>

#include "sdk/graphics/CDisplayAdapter.h"

CDisplayAPI::CDisplayAPI(uint32_t type, const char* apiName) : apiType(type) {
  std::strncpy(name, apiName ? apiName : "", sizeof(name) - 1);
}

bool CDisplayAPI::ReportName(std::string* out) {
  if (!out) return false;
  *out += name;
  *out += "\n";
  return true;
}

int CDisplayAPI::HandleFor(CDisplayAdapter* adapter) const { return adapter ? adapter->GetHandle(this) : -1; }

bool CDisplayAPI::Serves(CDisplayAdapter* adapter) const { return adapter && adapter->HasAPI(this); }
