// The validation file: the cipher against the published AES-128 vectors,
// the padded lengths, saving twice, the dated folders, decoding a saved
// file back, and the record built from an emulated board.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/CipherLibrary.h"
#include "poll/PollCore.h"
#include "poll/ValidationFile.h"
#include "poll/ValidationRecord.h"
#include "sdk/core/SdkStartup.h"
#include "tests/support/EmulatedSdk.h"

namespace {

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

TEST(ValidationCipher, MatchesThePublishedAes128EcbVectors) {
  struct Vector {
    const char *key, *plain, *cipher;
  } vectors[] = {
      // FIPS-197 appendix C.1
      {"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff", "69c4e0d86a7b0430d8cdb78070b4c55a"},
      // SP 800-38A F.1.1, four blocks in one call
      {"2b7e151628aed2a6abf7158809cf4f3c",
       "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
       "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710",
       "3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
       "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4"},
  };
  for (const Vector& v : vectors) {
    const auto key = FromHex(v.key), plain = FromHex(v.plain), cipher = FromHex(v.cipher);
    std::vector<uint8_t> out(plain.size()), back(plain.size());
    ASSERT_TRUE(Aes128EcbEncrypt(key.data(), plain.data(), plain.size(), out.data()));
    EXPECT_EQ(out, cipher);
    ASSERT_TRUE(Aes128EcbDecrypt(key.data(), cipher.data(), cipher.size(), back.data()));
    EXPECT_EQ(back, plain);
  }
  uint8_t block[17] = {};
  std::string error;
  EXPECT_FALSE(Aes128EcbEncrypt(block, block, 17, block, &error)) << "only whole blocks";
  EXPECT_EQ(error, "not whole 16-byte blocks");
}

TEST(ValidationCipher, TheLibraryIsFoundByItsVersionAndAMissingOneIsNamed) {
  std::string error;
  EXPECT_TRUE(plat::ProbeCipherLibrary(plat::CipherLibraryName(), &error)) << error;
  EXPECT_FALSE(plat::ProbeCipherLibrary("libcrypto.so.0-absent", &error));
  EXPECT_NE(error.find("cannot open the cipher library libcrypto.so.0-absent"), std::string::npos) << error;
  // A library without the cipher functions is refused by name as well.
  EXPECT_FALSE(plat::ProbeCipherLibrary("libm.so.6", &error));
  EXPECT_EQ(error, "the cipher library libm.so.6 has no EVP_CIPHER_CTX_new");
}

TEST(ValidationCipher, TheRecordIsPaddedWithItsZeroAndEncryptedFromACopy) {
  struct Case {
    size_t length, hexChars;
  } cases[] = {{100, 224}, {112, 256}, {0, 32}, {15, 32}, {16, 64}};
  for (const Case& c : cases) {
    const std::string record(c.length, 'A');
    const std::string hex = EncryptValidationRecord(record);
    EXPECT_EQ(hex.size(), c.hexChars) << c.length;
    EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos) << "lowercase hexadecimal only";
    const auto padded = PadValidationRecord(record);
    EXPECT_EQ(padded.size() * 2, c.hexChars);
    for (size_t i = c.length; i < padded.size(); ++i) EXPECT_EQ(padded[i], 0);
    // A second save of the same record writes the same text: the first
    // ciphertext is never encrypted again.
    EXPECT_EQ(EncryptValidationRecord(record), hex);
    std::string back;
    ASSERT_TRUE(DecryptValidationRecord(hex, &back, nullptr));
    EXPECT_EQ(back, record);
  }
}

TEST(ValidationCipher, DecodingRefusesWhatIsNotAValidationFile) {
  const std::string good = EncryptValidationRecord("2026-12-10,x,9.02,");
  struct Case {
    std::string text;
    const char* why;
  } cases[] = {
      {"", "whole"},
      {good.substr(0, 31), "whole"},
      {good.substr(0, 30) + "zz", "not hexadecimal"},
      {std::string(64, 'f'), "no end"},  // no zero byte after decryption with this key
  };
  for (const Case& c : cases) {
    std::string record = "untouched", error;
    EXPECT_FALSE(DecryptValidationRecord(c.text, &record, &error)) << c.text;
    EXPECT_NE(error.find(c.why), std::string::npos) << error;
    EXPECT_EQ(record, "untouched");
  }
  std::string record;
  EXPECT_TRUE(DecryptValidationRecord(good + "\n", &record, nullptr)) << "a trailing line end is tolerated";
}

class ValidationFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/torvik-vdf-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string dir;
};

TEST_F(ValidationFolder, TwoSavesInOneMinuteShareTheDatedFolder) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 10;
  t.tm_hour = 9;
  t.tm_min = 5;
  EXPECT_EQ(ValidationFolderName(t), "[10 DEC 2026 - 9h05]");
  const std::string base = dir + "/config/torvik/vdf";
  std::string error;
  const std::string first = SaveValidationFileAuto(base, t, 3456, "first,9.02,", &error);
  ASSERT_FALSE(first.empty()) << error;
  EXPECT_EQ(first, base + "/[10 DEC 2026 - 9h05]/tvk_3456.vdf");
  const std::string other = SaveValidationFileAuto(base, t, 3600, "other,9.02,", &error);
  const std::string again = SaveValidationFileAuto(base, t, 3456, "second,9.02,", &error);
  EXPECT_EQ(again, first) << "the same clock replaces the file";
  EXPECT_EQ(std::filesystem::path(other).parent_path(), std::filesystem::path(first).parent_path());
  int folders = 0;
  for (const auto& e : std::filesystem::directory_iterator(base)) folders += e.is_directory();
  EXPECT_EQ(folders, 1);
  std::string record;
  ASSERT_TRUE(ReadValidationFile(first, &record, &error)) << error;
  EXPECT_EQ(record, "second,9.02,");

  t.tm_min = 6;
  EXPECT_NE(std::filesystem::path(SaveValidationFileAuto(base, t, 3456, "x,", &error)).parent_path(),
            std::filesystem::path(first).parent_path());

  // A folder that cannot be made is reported, nothing claimed written.
  std::ofstream(dir + "/file") << "x";
  EXPECT_TRUE(SaveValidationFileAuto(dir + "/file/vdf", t, 3456, "x,", &error).empty());
  EXPECT_NE(error.find(dir + "/file"), std::string::npos) << error;
}

TEST(ValidationRecord, AnEmulatedBoardFillsTheFieldsInOrder) {
  testsupport::EmulatedSdk env("brenmor-z68");
  uint32_t error = 0;
  ASSERT_TRUE(env.driver.Open("/tmp", &error, true));
  QUARNSDK::GetInstance()->SetDriver(&env.driver);
  CreateSdkInterfaces(env.Sdk(), env.driver);
  CPollCore poll(&env.Sdk(), &env.driver);
  ASSERT_TRUE(poll.PollHardware(1000));

  ValidationInputs in;
  in.sdk = &env.Sdk();
  in.local.tm_year = 2026 - 1900;
  in.local.tm_mon = 11;
  in.local.tm_mday = 10;
  in.memoryMB = 8192;
  const std::string record = BuildValidationRecord(in);
  const auto fields = SplitValidationRecord(record);
  const auto& names = ValidationFieldNames();
  ASSERT_EQ(fields.size(), names.size()) << record;
  auto field = [&](const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return fields[i];
    ADD_FAILURE() << name;
    return std::string();
  };
  EXPECT_EQ(record.back(), ',');
  EXPECT_EQ(fields.front(), "2026-12-10");
  EXPECT_EQ(fields.back(), "9.02");
  EXPECT_NE(field("processor").find("i7-2600K"), std::string::npos) << record;
  EXPECT_EQ(field("cores"), "4");
  EXPECT_EQ(field("threads"), "8");
  EXPECT_NE(field("instruction sets").find("SSE4.2"), std::string::npos) << record;
  EXPECT_EQ(field("memory type"), "DDR3-SDRAM") << record;
  EXPECT_EQ(field("memory size"), "8192");
  EXPECT_EQ(field("mainboard").rfind("Brenmor Torvik Z68", 0), 0u) << record;
  EXPECT_NE(field("mainboard").find(" rev "), std::string::npos);
  const double clock = std::atof(field("core clock").c_str());
  EXPECT_GT(clock, 1000.0) << record;
  EXPECT_EQ(field("core clock").find('.') + 3, field("core clock").size()) << "two decimals";
  EXPECT_NE(field("graphics 1 name"), "") << record;
  for (const char* what : {"name", "memory", "core clock", "memory clock"})
    EXPECT_EQ(field(std::string("graphics 2 ") + what), "") << "a missing adapter keeps its empty fields";

  // Without the SDK only the date and the version are there.
  const auto bare = SplitValidationRecord(BuildValidationRecord({nullptr, in.local, -1}));
  ASSERT_EQ(bare.size(), names.size());
  for (size_t i = 1; i + 1 < bare.size(); ++i) EXPECT_EQ(bare[i], "") << names[i];
}

// A card the register backend reads: its name, memory and clocks fill the
// first adapter's four fields; the other adapters' stay empty.
TEST(ValidationRecord, AGraphicsCardFillsItsFields) {
  testsupport::EmulatedSdk env("brenmor-p55");
  uint32_t error = 0;
  ASSERT_TRUE(env.driver.Open("/tmp", &error, true));
  QUARNSDK::GetInstance()->SetDriver(&env.driver);
  CreateSdkInterfaces(env.Sdk(), env.driver);
  CPollCore poll(&env.Sdk(), &env.driver);
  ASSERT_TRUE(poll.PollHardware(1000));
  ValidationInputs in;
  in.sdk = &env.Sdk();
  const auto fields = SplitValidationRecord(BuildValidationRecord(in));
  const auto& names = ValidationFieldNames();
  ASSERT_EQ(fields.size(), names.size());
  std::map<std::string, std::string> byName;
  for (size_t i = 0; i < names.size(); ++i) byName[names[i]] = fields[i];
  EXPECT_EQ(byName["graphics 1 name"], "NVIDIA GeForce GTX 285");
  EXPECT_EQ(byName["graphics 1 memory"], "1024");
  EXPECT_EQ(byName["graphics 1 core clock"], "648.00");
  EXPECT_EQ(byName["graphics 1 memory clock"], "1242.00");
  EXPECT_EQ(byName["graphics 2 name"], "");
}

}  // namespace
