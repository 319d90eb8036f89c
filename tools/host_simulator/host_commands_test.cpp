#include "host_commands.h"

#include <gtest/gtest.h>

namespace host_simulator {
namespace {

constexpr std::string_view Word = "Zorva ";

std::string ToModule(std::string_view line) {
  const RoutedLine routed = RouteLine(line, Word);
  const auto* message = std::get_if<ModuleMessage>(&routed);
  return message ? message->text : "(a host command)";
}

TEST(HostRouting, TheCommandWordComesOffOnlyAtTheStartAndExactly) {
  EXPECT_EQ(ToModule("Zorva 开始"), "开始");
  EXPECT_EQ(ToModule("Zorva Zorva 开始"), "Zorva 开始");  // once
  EXPECT_EQ(ToModule("Zorva "), "");
  // Everything else reaches the module unchanged.
  EXPECT_EQ(ToModule("开始"), "开始");
  EXPECT_EQ(ToModule("Zorva开始"), "Zorva开始");
  EXPECT_EQ(ToModule("zorva 开始"), "zorva 开始");
  EXPECT_EQ(ToModule(" Zorva 开始"), " Zorva 开始");
  EXPECT_EQ(ToModule("我说Zorva 开始"), "我说Zorva 开始");
  EXPECT_EQ(ToModule(""), "");
  // A guess after the command word is a guess without it.
  EXPECT_EQ(ToModule("Zorva /help"), "/help");
  // Without a command word nothing comes off.
  const RoutedLine plain = RouteLine("Zorva 开始", "");
  EXPECT_EQ(std::get<ModuleMessage>(plain).text, "Zorva 开始");
}

TEST(HostRouting, SlashLinesAreHostCommandsThatNeverReachTheModule) {
  const RoutedLine give = RouteLine("/give  50\t10002 ", Word);
  ASSERT_TRUE(std::holds_alternative<HostCommand>(give));
  EXPECT_EQ(std::get<HostCommand>(give).name, "give");
  EXPECT_EQ(std::get<HostCommand>(give).arguments, (std::vector<std::string>{"50", "10002"}));

  for (const char* line : {"/help", "/quit", "/", "/ ", "/开始", "/no-such-command x"}) {
    EXPECT_TRUE(std::holds_alternative<HostCommand>(RouteLine(line, Word))) << line;
  }
  EXPECT_EQ(std::get<HostCommand>(RouteLine("/", Word)).name, "");
  EXPECT_EQ(std::get<HostCommand>(RouteLine("/开始", Word)).name, "开始");
}

TEST(HostRouting, OnlyDigitsAreNumbers) {
  EXPECT_TRUE(IsNumber("10001"));
  EXPECT_FALSE(IsNumber(""));
  EXPECT_FALSE(IsNumber("-1"));
  EXPECT_FALSE(IsNumber("1 "));
  EXPECT_FALSE(IsNumber("../1"));
  EXPECT_FALSE(IsNumber("１"));
}

}  // namespace
}  // namespace host_simulator
