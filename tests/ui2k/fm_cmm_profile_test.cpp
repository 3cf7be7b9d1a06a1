// The printer-interface module checks a colour profile's header before it takes the profile.
#include <gtest/gtest.h>

#include <string>

#include "fm_modules_1_4.h"
#include "machine_fixture.h"

namespace {

class ProfileCheck : public zolt::test::MachineTest {};

TEST_F(ProfileCheck, OnlyAProfileOfTheMakersModulePasses) {
  std::string bytes(132, '\0');
  bytes.replace(4, 4, "QVMS");
  bytes.replace(12, 4, "prtr");
  bytes.replace(16, 4, "RGB ");
  bytes.replace(20, 4, "XYZ ");
  bytes.replace(36, 4, "acsp");
  bytes.replace(48, 4, "ORVX");
  zolt::test::WriteBytes(Real(u"C:\\good.icm"), bytes);
  bytes.replace(48, 4, "APPL");
  zolt::test::WriteBytes(Real(u"C:\\other.icm"), bytes);
  EXPECT_EQ(FdCheckColorProfileFile(u"C:\\good.icm"), 1);
  EXPECT_EQ(FdCheckColorProfileFile(u"C:\\other.icm"), 0);
  EXPECT_EQ(FdCheckColorProfileFile(u"C:\\none.icm"), 0);
}

}  // namespace
