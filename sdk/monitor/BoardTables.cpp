#include "sdk/monitor/BoardTables.h"

#include "sdk/access/CIORequest.h"
#include "sdk/monitor/CHardwareMonitor.h"

namespace {

const BoardLabelEntry* Search(const BoardLabelEntry* list, int family, uint32_t key, int32_t checksum, int address,
                              bool wantChecksum) {
  for (const BoardLabelEntry* e = list; e->boardKey != kLabelEnd; ++e) {
    if (e->boardKey != key || e->family != family) continue;
    if (e->address != -1 && e->address != address) continue;
    if (wantChecksum ? e->checksum != checksum || checksum == -1 : e->checksum != -1) continue;
    return e;
  }
  return nullptr;
}

}  // namespace

const BoardLabelEntry* FindBoardTables(int family, uint32_t key, int32_t checksum, int address) {
  if (family == TABLES_NONE || key == kLabelEnd) return nullptr;
  for (const BoardLabelEntry* list : {kBrenmorBoardTables, kOtherBoardTables}) {
    if (const BoardLabelEntry* e = Search(list, family, key, checksum, address, true)) return e;
    if (const BoardLabelEntry* e = Search(list, family, key, checksum, address, false)) return e;
  }
  return nullptr;
}

bool InstallBoardTables(CHardwareMonitor* m, uint32_t key, int32_t checksum, int address) {
  if (!m) return false;
  if (address < 0 && m->request && m->request->type == IOREQUEST_SMBUS)
    address = static_cast<CSMBusRequest*>(m->request)->slave;
  const BoardLabelEntry* e = FindBoardTables(m->tableFamily, key, checksum, address);
  if (!e) return false;
  if (e->replaces & REPLACE_VOLTAGES) m->voltageTable = e->voltages;
  if (e->replaces & REPLACE_TEMPERATURES) m->temperatureTable = e->temperatures;
  if (e->replaces & REPLACE_FANS) m->fanTable = e->fans;
  return true;
}
