#include "app/ValidationSave.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

#include "app/CTorvikTuneApp.h"
#include "platform/LockTimeouts.h"
#include "poll/ValidationFile.h"
#include "poll/ValidationRecord.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"

namespace {

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

// Copies `text` into a buffer of the application, zero-terminated and cut
// to the buffer.
void Store(std::vector<char>& buffer, const std::string& text) {
  if (buffer.size() < static_cast<size_t>(CTorvikTuneApp::kValidationBufferSize))
    buffer.assign(CTorvikTuneApp::kValidationBufferSize, 0);
  const size_t n = std::min(text.size(), buffer.size() - 1);
  std::memcpy(buffer.data(), text.data(), n);
  buffer[n] = 0;
}

std::string Record(const CTorvikTuneApp& app) {
  return app.m_pValidationText.empty() ? std::string() : std::string(app.m_pValidationText.data());
}

}  // namespace

namespace {

// `sdk` is held by the caller, or null for the fields that need no hardware.
void Rebuild(CTorvikTuneApp& app, QUARNSDK* sdk) {
  ValidationInputs in;
  in.local = LocalNow();
  in.memoryMB = app.m_nMemoryMB;
  in.sdk = sdk;
  const std::string record = BuildValidationRecord(in);
  // The field list and the finished 8-bit text are the same characters here.
  Store(app.m_pValidationList, record);
  Store(app.m_pValidationText, record);
}

}  // namespace

void RebuildValidationRecord(CTorvikTuneApp& app) {
  const bool locked = app.m_pSDK && app.LockSdk(plat::kUserActionSdkTimeoutMs);
  Rebuild(app, locked ? app.m_pSDK : nullptr);
  if (locked) app.UnlockSdk();
}

void RebuildValidationRecordSdkHeld(CTorvikTuneApp& app) { Rebuild(app, app.m_pSDK); }

QString CurrentValidationRecord(const CTorvikTuneApp& app) { return QString::fromLatin1(Record(app)); }

int ValidationClockMHz(const CTorvikTuneApp& app) {
  auto* cpus = app.m_pSDK ? static_cast<CCPUInterface*>(app.m_pSDK->FindInterface(INTERFACE_CPU)) : nullptr;
  CProcessor* p = cpus ? cpus->GetProcessor(0) : nullptr;
  const float mhz = p ? p->GetCoreClock(0) : -1.0f;
  return mhz > 0 ? static_cast<int>(mhz) : 0;
}

bool SaveValidationFileAs(CTorvikTuneApp& app, const QString& path, QString* error) {
  if (Record(app).empty()) RebuildValidationRecord(app);
  std::string why;
  const bool ok = WriteValidationFile(path.toStdString(), Record(app), &why);
  if (!ok && error) *error = QString::fromStdString(why);
  return ok;
}

QString SaveValidationFileAuto(CTorvikTuneApp& app, QString* error) {
  app.PollHardware(plat::kUserActionSdkTimeoutMs);
  RebuildValidationRecord(app);
  std::string why;
  const std::string path =
      SaveValidationFileAuto(ValidationBaseDirectory(), LocalNow(), ValidationClockMHz(app), Record(app), &why);
  if (path.empty() && error) *error = QString::fromStdString(why);
  return QString::fromStdString(path);
}
