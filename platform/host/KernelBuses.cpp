#include "platform/host/KernelBuses.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>

namespace plat {

namespace {

// Kernel drivers of SMBus hosts (drivers/i2c/busses) and of hardware
// monitors (drivers/hwmon) that drive I/O ports themselves.
const char* const kSmbusDrivers[] = {
    "i801_smbus", "piix4_smbus", "nForce2_smbus", "sis96x_smbus", "sis630_smbus", "sis5595_smbus", "ali1535_smbus",
    "ali1563_smbus", "ali15x3_smbus", "amd756_smbus", "amd8111_smbus", "viapro_smbus", "isch_smbus", "ismt_smbus",
};
// Super I/O monitor drivers: they claim their monitor's ports and enter the
// chip's configuration mode through 0x2E/0x4E.
const char* const kSuperIoDrivers[] = {
    "it87", "f71882fg", "f71805f", "nct6775", "nct6683", "w83627ehf", "w83627hf", "w83697hf", "smsc47m1", "smsc47b397",
    "sch5627", "sch5636", "pc87360", "pc87427", "vt1211",
};

bool NameIn(const std::string& name, const char* const* list, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (name == list[i]) return true;
  return false;
}

bool IsSuperIoDriver(const std::string& name) {
  return NameIn(name, kSuperIoDrivers, sizeof(kSuperIoDrivers) / sizeof(*kSuperIoDrivers));
}

bool IsKernelPortDriver(const std::string& name) {
  return IsSuperIoDriver(name) || NameIn(name, kSmbusDrivers, sizeof(kSmbusDrivers) / sizeof(*kSmbusDrivers));
}

std::string PciPath(const std::string& root, uint32_t bus, uint32_t device, uint32_t function) {
  char name[64];
  std::snprintf(name, sizeof(name), "/sys/bus/pci/devices/0000:%02x:%02x.%x", bus & 0xFF, device & 0x1F,
                function & 7);
  return root + name;
}

std::string LinkName(const std::string& path) {
  char target[512];
  ssize_t n = readlink(path.c_str(), target, sizeof(target) - 1);
  if (n <= 0) return {};
  target[n] = 0;
  const char* slash = std::strrchr(target, '/');
  return slash ? slash + 1 : target;
}

// The first "i2c-N" entry under a PCI function's directory (-1 when none).
int AdapterNumber(const std::string& pciPath) {
  int number = -1;
  if (DIR* dir = opendir(pciPath.c_str())) {
    while (dirent* e = readdir(dir)) {
      int n = -1;
      char tail = 0;
      if (std::sscanf(e->d_name, "i2c-%d%c", &n, &tail) == 1 && n >= 0 && (number < 0 || n < number)) number = n;
    }
    closedir(dir);
  }
  return number;
}

// Every "i2c-N" entry under a PCI function's directory, by number.
std::vector<int> AdapterNumbers(const std::string& pciPath) {
  std::vector<int> numbers;
  if (DIR* dir = opendir(pciPath.c_str())) {
    while (dirent* e = readdir(dir)) {
      int n = -1;
      char tail = 0;
      if (std::sscanf(e->d_name, "i2c-%d%c", &n, &tail) == 1 && n >= 0) numbers.push_back(n);
    }
    closedir(dir);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

// Transactions through i2c-dev: the slave address is set with I2C_SLAVE
// (refused with EBUSY when a kernel driver owns that slave), then one
// I2C_SMBUS request of the right size; the kernel runs it under its own
// adapter lock.
class I2cDevAdapter : public SmbusAdapter {
 public:
  I2cDevAdapter(std::string device, std::string driver, IoctlFunction fn)
      : device_(std::move(device)), driver_(std::move(driver)), ioctl_(std::move(fn)) {}
  ~I2cDevAdapter() override {
    if (fd_ >= 0) close(fd_);
  }

  std::string Route() const override { return driver_ + " through " + device_; }

  bool ReadByte(uint8_t slave, uint8_t command, uint8_t* value) override {
    i2c_smbus_data data{};
    if (!Transfer(slave, I2C_SMBUS_READ, command, I2C_SMBUS_BYTE_DATA, &data)) return false;
    *value = data.byte;
    return true;
  }
  bool ReadWord(uint8_t slave, uint8_t command, uint16_t* value) override {
    i2c_smbus_data data{};
    if (!Transfer(slave, I2C_SMBUS_READ, command, I2C_SMBUS_WORD_DATA, &data)) return false;
    *value = data.word;
    return true;
  }
  bool WriteByte(uint8_t slave, uint8_t command, uint8_t value) override {
    i2c_smbus_data data{};
    data.byte = value;
    return Transfer(slave, I2C_SMBUS_WRITE, command, I2C_SMBUS_BYTE_DATA, &data);
  }
  bool WriteWord(uint8_t slave, uint8_t command, uint16_t value) override {
    i2c_smbus_data data{};
    data.word = value;
    return Transfer(slave, I2C_SMBUS_WRITE, command, I2C_SMBUS_WORD_DATA, &data);
  }
  int ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) override {
    i2c_smbus_data data{};
    if (!Transfer(slave, I2C_SMBUS_READ, command, I2C_SMBUS_BLOCK_DATA, &data)) return -1;
    const int count = data.block[0] > I2C_SMBUS_BLOCK_MAX ? I2C_SMBUS_BLOCK_MAX : data.block[0];
    std::memcpy(buffer, data.block + 1, static_cast<size_t>(count));
    return count;
  }
  int WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) override {
    if (count < 1 || count > I2C_SMBUS_BLOCK_MAX) return -1;
    i2c_smbus_data data{};
    data.block[0] = static_cast<uint8_t>(count);
    std::memcpy(data.block + 1, buffer, static_cast<size_t>(count));
    return Transfer(slave, I2C_SMBUS_WRITE, command, I2C_SMBUS_BLOCK_DATA, &data) ? count : -1;
  }

 private:
  bool Transfer(uint8_t slave, uint8_t direction, uint8_t command, uint32_t size, i2c_smbus_data* data) {
    if (slave > 0x7F) return false;
    std::lock_guard<std::mutex> g(mutex_);
    if (fd_ < 0) fd_ = open(device_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) return false;
    if (Call(I2C_SLAVE, reinterpret_cast<void*>(static_cast<uintptr_t>(slave))) < 0) return false;
    i2c_smbus_ioctl_data request{};
    request.read_write = direction;
    request.command = command;
    request.size = size;
    request.data = data;
    return Call(I2C_SMBUS, &request) >= 0;
  }
  int Call(unsigned long request, void* argument) {
    if (ioctl_) return ioctl_(fd_, request, argument);
    return ioctl(fd_, request, argument);
  }

  std::string device_, driver_;
  IoctlFunction ioctl_;
  std::mutex mutex_;
  int fd_ = -1;
};

}  // namespace

std::vector<IoClaim> ReadIoPorts(const std::string& root) {
  std::vector<IoClaim> claims;
  std::ifstream in(root + "/proc/ioports");
  std::string line;
  while (std::getline(in, line)) {
    unsigned first = 0, last = 0;
    int used = 0;
    if (std::sscanf(line.c_str(), " %x-%x : %n", &first, &last, &used) != 2 || used <= 0) continue;
    std::string name = line.substr(static_cast<size_t>(used));
    while (!name.empty() && (name.back() == ' ' || name.back() == '\r')) name.pop_back();
    claims.push_back({first, last, name});
  }
  return claims;
}

const IoClaim* KernelPortOwner(const std::vector<IoClaim>& claims, uint32_t first, uint32_t last) {
  const auto configPorts = [](uint32_t a, uint32_t b) {
    return (a <= 0x2F && b >= 0x2E) || (a <= 0x4F && b >= 0x4E);
  };
  for (const IoClaim& c : claims) {
    if (!IsKernelPortDriver(c.name)) continue;
    if (first <= c.last && last >= c.first) return &c;
    if (IsSuperIoDriver(c.name) && configPorts(first, last)) return &c;
  }
  return nullptr;
}

std::string BoundPciDriver(const std::string& root, uint32_t bus, uint32_t device, uint32_t function) {
  return LinkName(PciPath(root, bus, device, function) + "/driver");
}

std::shared_ptr<SmbusAdapter> FindKernelSmbusAdapter(const std::string& root, uint32_t bus, uint32_t device,
                                                     uint32_t function, IoctlFunction ioctlFn) {
  const std::string driver = BoundPciDriver(root, bus, device, function);
  if (driver.empty()) return nullptr;
  const int number = AdapterNumber(PciPath(root, bus, device, function));
  const std::string node = number < 0 ? std::string("(no i2c adapter)") : root + "/dev/i2c-" + std::to_string(number);
  return std::make_shared<I2cDevAdapter>(node, driver, std::move(ioctlFn));
}

std::vector<std::shared_ptr<SmbusAdapter>> FindGraphicsI2CAdapters(const std::string& root, uint32_t bus,
                                                                   uint32_t device, uint32_t function,
                                                                   IoctlFunction ioctlFn) {
  std::vector<std::shared_ptr<SmbusAdapter>> adapters;
  const std::string driver = BoundPciDriver(root, bus, device, function);
  if (driver.empty()) return adapters;
  for (int n : AdapterNumbers(PciPath(root, bus, device, function)))
    adapters.push_back(std::make_shared<I2cDevAdapter>(root + "/dev/i2c-" + std::to_string(n), driver, ioctlFn));
  return adapters;
}

bool ReadGraphicsAttribute(const std::string& root, uint32_t bus, uint32_t device, uint32_t function,
                           const std::string& name, std::string* text) {
  // Plain attribute names only: no way out of the device's directory.
  if (name.empty() || name.find("..") != std::string::npos || name.front() == '/') return false;
  std::string path = PciPath(root, bus, device, function);
  std::string rest = name;
  if (rest.rfind("hwmon/", 0) == 0) {
    // The driver's hardware monitor: hwmon/hwmonN/<file>.
    int number = -1;
    if (DIR* dir = opendir((path + "/hwmon").c_str())) {
      while (dirent* e = readdir(dir)) {
        int n = -1;
        char tail = 0;
        if (std::sscanf(e->d_name, "hwmon%d%c", &n, &tail) == 1 && n >= 0 && (number < 0 || n < number)) number = n;
      }
      closedir(dir);
    }
    if (number < 0) return false;
    path += "/hwmon/hwmon" + std::to_string(number);
    rest = rest.substr(6);
  }
  std::ifstream in(path + "/" + rest);
  std::string line;
  if (!in || !std::getline(in, line)) return false;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
  *text = line;
  return true;
}

std::vector<std::string> SmbusRoutes(const std::string& root) {
  std::vector<std::string> lines;
  const std::string base = root + "/sys/bus/pci/devices";
  DIR* dir = opendir(base.c_str());
  if (!dir) return lines;
  std::vector<std::string> names;
  while (dirent* e = readdir(dir))
    if (e->d_name[0] != '.') names.push_back(e->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::ifstream classFile(base + "/" + name + "/class");
    std::string text;
    if (!(classFile >> text) || std::strtoul(text.c_str(), nullptr, 16) >> 8 != 0x0C05) continue;
    unsigned b = 0, d = 0, f = 0;
    if (std::sscanf(name.c_str(), "%*x:%x:%x.%x", &b, &d, &f) != 3) continue;
    auto adapter = FindKernelSmbusAdapter(root, b, d, f);
    lines.push_back("SMBus " + name + ": " +
                    (adapter ? "kernel driver " + adapter->Route() : std::string("host registers (no kernel driver)")));
  }
  return lines;
}

}  // namespace plat
