// The application's side of the validation file: the record kept in the
// application's buffers (rebuilt from the SDK under its lock), the save to
// a chosen file and the automatic save into the dated folder after an
// apply on the Overclocking page.
#pragma once

#include <QString>

class CTorvikTuneApp;

// Rebuilds the record from what the SDK holds now (the last poll's
// values) into the application's buffers, under the SDK lock.
void RebuildValidationRecord(CTorvikTuneApp& app);
// The same for a caller that holds the SDK lock already (the Processor
// page's one-second timer).
void RebuildValidationRecordSdkHeld(CTorvikTuneApp& app);
// The record in the buffers ("" before the first rebuild).
QString CurrentValidationRecord(const CTorvikTuneApp& app);
// Processor 0, core 0 in whole MHz (0 when not measured): the number in
// the file name.
int ValidationClockMHz(const CTorvikTuneApp& app);
// Encrypts the latest record into `path`; false with `error`.
bool SaveValidationFileAs(CTorvikTuneApp& app, const QString& path, QString* error);
// One polling cycle, a rebuilt record, and the file in the minute's folder
// under the configuration directory; the path written, or "" with `error`.
QString SaveValidationFileAuto(CTorvikTuneApp& app, QString* error);
