#include "signin_plugin/signin_descriptor.h"

#include "game/contract.h"
#include "plugin/descriptor_constants.h"

namespace zorvane {

Text BuildSigninDescriptor() {
  // The command word is the sign-in command itself: a host that routes by
  // it hands the module "签到" as the empty message and "签到 余额" as
  // " 余额". The usage line names only what works with every host.
  const DescriptorLayout lines = {
      "ZorvaneSignin",                                            // display name
      ModuleVersion,                                              // the kit's version
      ModuleAuthor,                                               // author
      "特别说明：主程序没有签到插件时使用，与Zorvane共用人民币",  // when to load it
      SigninWord,                                                 // command word
      "发送‘签到’、‘签到 余额’或‘签到 排行’",                     // usage hint
      "",                                                         // empty line
      "ZorvaneSignin",                                            // the event export
      DescriptorFixedValue,                                       // fixed value
      DescriptorFixedFalse,                                       // fixed value: false
  };
  return DescriptorText(lines);
}

}  // namespace zorvane
