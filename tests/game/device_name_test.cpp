// Group and member texts that Windows would take for a device.
#include <gtest/gtest.h>

#include <string>

#include "game/safe_identifier.h"

namespace zorvane {
namespace {

TEST(DeviceName, EveryDeviceInAnyCaseWithOrWithoutAnExtensionIsRefused) {
  for (const std::string device : {"CON", "PRN", "AUX", "NUL"}) {
    EXPECT_TRUE(IsWindowsDeviceName(device)) << device;
  }
  for (char digit = '1'; digit <= '9'; ++digit) {
    EXPECT_TRUE(IsWindowsDeviceName(std::string("COM") + digit)) << digit;
    EXPECT_TRUE(IsWindowsDeviceName(std::string("lpt") + digit)) << digit;
  }
  for (const std::string name :
       {"con", "Nul", "aUx", "con.ini", "NUL.txt.bak", "Com1 .txt", "prn.", "CON  "}) {
    EXPECT_TRUE(IsWindowsDeviceName(name)) << name;
    EXPECT_FALSE(IsSafeIdentifier(name)) << name;
  }
}

TEST(DeviceName, NamesThatOnlyResembleADeviceStayUsable) {
  for (const std::string name : {"CONS", "CO", "xCON", "COM0", "COM10", "LPT", "COMx", "NULL",
                                 "con1", "a.con", " CON", "控制台", "1001"}) {
    EXPECT_FALSE(IsWindowsDeviceName(name)) << name;
    EXPECT_TRUE(IsSafeIdentifier(name)) << name;
  }
}

}  // namespace
}  // namespace zorvane
