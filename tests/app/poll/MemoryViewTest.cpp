// The Memory view: the fixed fields by type code, size and channel count,
// and the timing rows with their conditions, including a controller whose
// readings disappear between two redraws.
#include <gtest/gtest.h>

#include "poll/MemoryView.h"
#include "sdk/memory/CChipsetInterface.h"

namespace {

TEST(MemoryViewFormat, TypeAndChannelNames) {
  const char* types[] = {"", "", " RDRAM", " EDO", " FPG", " SDRAM", " DDR", " DDR2", " FB-DDR2", " DDR3", ""};
  for (int code = 0; code <= 10; ++code) EXPECT_STREQ(CMemoryView::TypeText(code), types[code]) << code;
  EXPECT_STREQ(CMemoryView::TypeText(-1), "");
  const char* channels[] = {"", "Single", "Dual", "Triple", "Quad", ""};
  for (int n = 0; n <= 5; ++n) EXPECT_STREQ(CMemoryView::ChannelsText(n), channels[n]) << n;
}

TEST(MemoryView, FixedFieldsAndTimingRows) {
  CChipsetInterface chipset;
  CMemoryInfo& info = *chipset.GetMemoryInfo();
  info.typeCode = 9;
  info.channelCount = 3;
  info.uncoreRatio = 16;
  info.dramFrequency = 533.3f;
  info.ratioValue = 4;
  std::snprintf(info.ratioText, sizeof(info.ratioText), "%s", "2:8");
  info.casLatency = 7;
  info.tRCD = 7;
  info.tRP = 0;  // not read: below 1
  info.tRAS = 20;
  info.tRFC = 0;  // shown: 0 is allowed
  info.commandRate = 1;

  CMemoryView view;
  view.Init(&chipset, 6144, nullptr);
  view.Update(&chipset, 133.33f);
  struct Row {
    CMemoryView::FieldIndex i;
    const char* value;
    bool enabled;
  } rows[] = {
      {CMemoryView::kType, " DDR3", true},           {CMemoryView::kSize, "6144 MBytes", true},
      {CMemoryView::kChannels, "Triple", true},      {CMemoryView::kNbFrequency, "2133.3 MHz", true},
      {CMemoryView::kDramFrequency, "533.3 MHz", true}, {CMemoryView::kFsbDram, "2:8", true},
      {CMemoryView::kCasLatency, "7.0 clocks", true},   {CMemoryView::kRcd, "7 clocks", true},
      {CMemoryView::kRp, "", false},                 {CMemoryView::kRas, "20 clocks", true},
      {CMemoryView::kRfc, "0 clocks", true},         {CMemoryView::kCommandRate, "1T", true},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(view.At(r.i).value, r.value) << view.At(r.i).label;
    EXPECT_EQ(view.At(r.i).enabled, r.enabled) << view.At(r.i).label;
  }
  EXPECT_TRUE(view.Modules().empty());

  // The readings go: the NB frequency empties, the others keep their text
  // with the label disabled.
  info.uncoreRatio = -1;
  info.casLatency = -1;
  info.commandRate = -1;
  view.Update(&chipset, 133.33f);
  EXPECT_EQ(view.At(CMemoryView::kNbFrequency).value, "");
  EXPECT_FALSE(view.At(CMemoryView::kNbFrequency).enabled);
  EXPECT_EQ(view.At(CMemoryView::kCasLatency).value, "7.0 clocks");
  EXPECT_FALSE(view.At(CMemoryView::kCasLatency).enabled);
  EXPECT_FALSE(view.At(CMemoryView::kCommandRate).enabled);

  // Nothing known: no fixed field is enabled.
  CChipsetInterface empty;
  CMemoryView blank;
  blank.Init(&empty, -1, nullptr);
  blank.Update(&empty, -1);
  for (const auto& f : blank.Fields()) EXPECT_FALSE(f.enabled) << f.label;
  EXPECT_EQ(blank.At(CMemoryView::kRas).value, "") << "tRAS -1 is not shown";
}

}  // namespace
