#include "sdk/core/QUARNSDK.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

#include "sdk/access/CCommand.h"
#include "sdk/access/CIOSpace.h"
#include "sdk/access/CMemoryMap.h"
#include "sdk/access/CRegisterSpace.h"
#include "sdk/clock/CPLL.h"
#include "boardid/BoardHash.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/CSensor.h"
#include "sdk/cpu/CTimer.h"
#include "sdk/memory/CModuleInfo.h"

char EmptyString[256];

namespace {
std::mutex g_instanceMutex;

// Deletes a list the facade owns: its elements first, then the list.
template <typename T>
void DeleteOwnedList(CTList<T>*& list) {
  list->DeleteAll();
  delete list;
  list = nullptr;
}
QUARNSDK* g_instance = nullptr;
}  // namespace

QUARNSDK* QUARNSDK::GetInstance() {
  std::lock_guard<std::mutex> g(g_instanceMutex);
  if (!g_instance) g_instance = new (std::nothrow) QUARNSDK();
  return g_instance;
}

bool QUARNSDK::HasInstance() {
  std::lock_guard<std::mutex> g(g_instanceMutex);
  return g_instance != nullptr;
}

void QUARNSDK::ReleaseInstance() {
  QUARNSDK* sdk;
  {
    std::lock_guard<std::mutex> g(g_instanceMutex);
    sdk = g_instance;
    g_instance = nullptr;
  }
  delete sdk;
}

QUARNSDK::QUARNSDK() {
  interfaces = new CTList<CInterface>();
  ioSpaces = new CTList<CIOSpace>();
  registerSpaces = new CTList<CRegisterSpace>();
  devices = new CTList<CDevice>();
  plls = new CTList<CPLL>();
  timers = new CTList<CTimer>();
  sensors = new CTList<CSensor>();
  int error = 0;
  mutex = plat::CreateGlobalMutex(false, "QUARNSDK", &error);
  mutexError_ = mutex ? 0 : (error ? error : EINVAL);
  std::memset(EmptyString, 0, sizeof(EmptyString));
  commands = new CTList<CCommand>();
  memoryMaps = new CTList<CMemoryMap>();
}

QUARNSDK::~QUARNSDK() {
  // Devices first: a component's destructor may still look up the lists
  // that follow, never those already gone.
  DeleteOwnedList(devices);
  DeleteOwnedList(ioSpaces);
  DeleteOwnedList(registerSpaces);
  DeleteOwnedList(interfaces);
  DeleteOwnedList(plls);
  DeleteOwnedList(timers);
  DeleteOwnedList(sensors);
  DeleteOwnedList(commands);
  DeleteOwnedList(memoryMaps);
  pciInterface = nullptr;
  acpiInterface = nullptr;
  cpuInterface = nullptr;
  smbusInterface = nullptr;
  chipsetInterface = nullptr;
  dmiInterface = nullptr;
  wmiInterface = nullptr;
  hardwareMonitorInterface = nullptr;
  displayInterface = nullptr;
  mainboard = nullptr;
  if (mutex) {
    while (mutex->OwnedByCaller()) plat::ReleaseMutex(mutex);
    plat::CloseMutex(mutex);
    mutex = nullptr;
  }
}

// ------------------------------------------------------------ lock

plat::MutexHandle QUARNSDK::CreateGlobalMutex(bool initialOwner, const char* name) {
  return plat::CreateGlobalMutex(initialOwner, name);
}

bool QUARNSDK::Lock(uint32_t* status, uint32_t timeoutMs) {
  uint32_t dummy = 0;
  if (!status) status = &dummy;
  if (!mutex) {
    *status = static_cast<uint32_t>(mutexError_);
    return false;
  }
  int error = 0;
  uint32_t wait = plat::WaitForMutex(mutex, timeoutMs, &error);
  if (wait == plat::kWaitObject0) {
    *status = 0;
    return true;
  }
  if (wait == plat::kWaitAbandoned) {
    // The wait handed the mutex over; give it back at once.
    plat::ReleaseMutex(mutex);
    *status = plat::kWaitAbandoned;
    return false;
  }
  *status = wait == plat::kWaitFailed ? static_cast<uint32_t>(error) : wait;
  return false;
}

void QUARNSDK::Unlock() {
  // Releasing a lock this thread does not hold is refused by the mutex.
  plat::ReleaseMutex(mutex);
}

bool QUARNSDK::OwnsLock() const { return mutex && mutex->OwnedByCaller(); }

// ------------------------------------------------------------ registration

void QUARNSDK::SetMainboard(CMainboard* board) {
  if (mainboard || !board) return;
  mainboard = board;
  AddDevice(board);
}

bool QUARNSDK::RemoveDevice(CDevice* d) {
  int before = devices->count;
  devices->Remove(d);
  return devices->count < before;
}

// ------------------------------------------------------------ lookups

CInterface* QUARNSDK::FindInterface(uint32_t type) const {
  for (CInterface* i : Items(interfaces))
    if (i->type == type) return i;
  return nullptr;
}

CIOSpace* QUARNSDK::FindIOSpace(uint32_t baseHigh, uint32_t baseLow, uint32_t kind) const {
  for (CIOSpace* s : Items(ioSpaces))
    if (s->GetBaseHigh() == baseHigh && s->GetBaseLow() == baseLow && (kind == 0xFFFFFFFF || kind == s->kind))
      return s;
  return nullptr;
}

CRegisterSpace* QUARNSDK::FindRegisterSpace(uint32_t baseHigh, uint32_t baseLow, uint32_t kind) const {
  for (CRegisterSpace* s : Items(registerSpaces))
    if (s->GetBaseHigh() == baseHigh && s->GetBaseLow() == baseLow && (kind == 0xFFFFFFFF || kind == s->kind))
      return s;
  return nullptr;
}

int QUARNSDK::FindRegisterSpaces(uint32_t kind, CTList<CRegisterSpace>* out) const {
  if (out) out->Clear();
  int n = 0;
  for (CRegisterSpace* s : Items(registerSpaces))
    if (s->kind == kind) {
      ++n;
      if (out) out->Append(s);
    }
  return n;
}

CMemoryMap* QUARNSDK::FindMemoryMap(uint32_t addressLow, uint32_t addressHigh) const {
  for (CMemoryMap* m : Items(memoryMaps))
    if (m->addressLow == addressLow && m->addressHigh == addressHigh) return m;
  return nullptr;
}

CTimer* QUARNSDK::FindTimer(int type) const {
  for (CTimer* t : Items(timers))
    if (t->type == type) return t;
  return nullptr;
}

int QUARNSDK::FindTimers(int type, CTList<CTimer>* out) const {
  if (out) out->Clear();
  int n = 0;
  for (CTimer* t : Items(timers))
    if (t->type == type) {
      ++n;
      if (out) out->Append(t);
    }
  return n;
}

int QUARNSDK::FindDevices(uint32_t type, CTList<CDevice>* out) const {
  if (out) out->Clear();
  int n = 0;
  for (CDevice* d : Items(devices))
    if (d->type == type) {
      ++n;
      if (out) out->Append(d);
    }
  return n;
}

CDevice* QUARNSDK::FindMemoryModule(int moduleIndex, int typeCode) const {
  for (CDevice* d : Items(devices)) {
    if (!(d->type & DEVICE_MEMORY_MODULE)) continue;
    auto* module = static_cast<CMemoryModule*>(d);
    if (module->moduleRecord && module->moduleRecord->index == moduleIndex &&
        module->moduleRecord->typeCode == typeCode)
      return d;
  }
  return nullptr;
}

// ------------------------------------------------------------ interfaces

int QUARNSDK::AdoptInterface(CInterface* candidate, int detected) {
  if (!candidate) return 0;
  if (!detected) {
    delete candidate;
    return 0;
  }
  interfaces->Append(candidate);
  return detected;
}

void QUARNSDK::Shutdown() {
  for (CCommand* c : Items(commands)) c->Restore();
  for (CMemoryMap* m : Items(memoryMaps)) m->Unmap();
  for (CInterface* i : Items(interfaces)) i->Close();
}

uint32_t QUARNSDK::BoardHash(const char* text) { return text ? sdk::BoardHash(text) : 0; }
