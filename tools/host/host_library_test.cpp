#include <gtest/gtest.h>

#include <filesystem>

#include "host/command_line.h"
#include "host/command_word.h"
#include "host/zorvane_module.h"

namespace zorvane::host {
namespace {

TEST(ZorvaneModule, LoadsTheExportsAndUnloadsTheLibrary) {
  {
    ZorvaneModule module(ZORVANE_MODULE_PATH);
    ASSERT_TRUE(module.loaded()) << module.error();
    EXPECT_EQ(module.configure(), nullptr);  // the product has no testing seam
    EXPECT_FALSE(module.ConfigureForTesting(nullptr, "http://127.0.0.1:9", ""));
    EXPECT_EQ(module.library().Find("HandleChatEvent"), nullptr);
    EXPECT_TRUE(ModuleLibrary::IsInProcess(ZORVANE_MODULE_PATH));
    EXPECT_TRUE(module.library().Unload());
    EXPECT_FALSE(module.library().Unload());  // once only
  }
  EXPECT_FALSE(ModuleLibrary::IsInProcess(ZORVANE_MODULE_PATH));
}

TEST(ZorvaneModule, SaysWhyALibraryCannotBeLoaded) {
  const std::string missing = "/nonexistent/zorvane.so";
  const ZorvaneModule absent(missing);
  EXPECT_FALSE(absent.loaded());
  EXPECT_TRUE(absent.error().starts_with("cannot load " + missing + ": ")) << absent.error();
  EXPECT_NE(absent.error().find("No such file"), std::string::npos) << absent.error();
  // A library, but not the module.
  const ZorvaneModule other(LIBRARY_WITHOUT_EXPORTS);
  EXPECT_FALSE(other.loaded());
  EXPECT_EQ(other.error(),
            std::string(LIBRARY_WITHOUT_EXPORTS) + " does not export both info and Zorvane");
}

TEST(CommandWord, IsTheDescriptorsFifthLineAndComesOffOnlyExactlyAtTheStart) {
  EXPECT_EQ(CommandWordOf("Zorvane\r\n1.1\r\nTamsel\r\ncredit\r\nZorva \r\nhint\r\n\r\n"),
            "Zorva ");
  for (const char* descriptor :
       {"a\r\nb\r\nc\r\nd\r\n", "a\r\nb\r\nc\r\nd\r\ne", "", "a\nb\nc\nd\ne\n"}) {
    EXPECT_EQ(CommandWordOf(descriptor), "") << descriptor;  // lines end with CR LF only
  }
  EXPECT_EQ(AfterCommandWord("Zorva x", "Zorva "), "x");
  EXPECT_EQ(AfterCommandWord("Zorva Zorva x", "Zorva "), "Zorva x");  // once
  EXPECT_EQ(AfterCommandWord("Zorva ", "Zorva "), "");
  for (const char* other : {"Zorvax", "zorva x", " Zorva x", "I said Zorva x", ""}) {
    EXPECT_EQ(AfterCommandWord(other, "Zorva "), std::nullopt) << other;
  }
  EXPECT_EQ(AfterCommandWord("Zorva x", ""), "Zorva x");
}

TEST(CommandLine, TakesEachOptionOnceInOrderAndNamesTheFirstItCannot) {
  struct Case {
    std::vector<const char*> arguments;
    std::optional<std::string> refused;
    std::string port;
    bool demo;
  };
  const Case cases[] = {
      {{}, std::nullopt, "", false},
      {{"--port", "80", "--demo"}, std::nullopt, "80", true},
      {{"--port", "1", "--port", "2"}, std::nullopt, "2", false},
      {{"--port"}, "unknown or incomplete option: --port", "", false},
      {{"--demo", "--nope", "--port", "1"}, "unknown or incomplete option: --nope", "", true},
      {{"--port", "bad"}, "bad port: bad", "", false},
      {{"-h"}, "help", "", false},
  };
  for (const Case& c : cases) {
    std::string port;
    bool demo = false;
    std::vector<char*> argv = {const_cast<char*>("program")};
    for (const char* argument : c.arguments) {
      argv.push_back(const_cast<char*>(argument));
    }
    const std::vector<CommandLineOption> options = {
        {{"--port"},
         true,
         [&](const std::string& value) -> std::optional<std::string> {
           if (value == "bad") {
             return "bad port: " + value;
           }
           port = value;
           return std::nullopt;
         }},
        FlagOption("--demo", demo),
        {{"--help", "-h"},
         false,
         [](const std::string&) { return std::optional<std::string>("help"); }},
    };
    const std::optional<std::string> refused =
        ReadCommandLine(static_cast<int>(argv.size()), argv.data(), 1, options);
    const std::string shown = c.arguments.empty() ? "" : c.arguments.front();
    EXPECT_EQ(refused, c.refused) << shown;
    EXPECT_EQ(port, c.port) << shown;
    EXPECT_EQ(demo, c.demo) << shown;
  }
}

}  // namespace
}  // namespace zorvane::host
