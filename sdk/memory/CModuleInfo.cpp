#include "sdk/memory/CModuleInfo.h"

CModuleInfo::CModuleInfo()
    : casTable(new CTList<CAS_Table>()), eppProfiles(new CTList<CEPP_Profile>()),
      xmpProfiles(new CTList<CXMP_Profile>()) {}

CModuleInfo::~CModuleInfo() {
  delete[] data;
  casTable->DeleteAll();
  delete casTable;
  eppProfiles->DeleteAll();
  delete eppProfiles;
  xmpProfiles->DeleteAll();
  delete xmpProfiles;
}
