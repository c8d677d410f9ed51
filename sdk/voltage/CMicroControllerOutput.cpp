#include "sdk/voltage/CMicroControllerOutput.h"

#include <cstdio>

int DescriptionCount(const _stMicroControllerOutputDesc* table) {
  int n = 0;
  if (table)
    while (table[n].id != rowid::kEnd) ++n;
  return n;
}

CMicroControllerOutput::CMicroControllerOutput(int outputNumber) : number(outputNumber) {
  std::snprintf(name, sizeof(name), "OUT%d", outputNumber);
}

void CMicroControllerOutput::Bind(_stMicroControllerOutputDesc* row) {
  if (!rows) rows = new CTList<_stMicroControllerOutputDesc>();
  if (!rows->Contains(row)) rows->Append(row);
}
