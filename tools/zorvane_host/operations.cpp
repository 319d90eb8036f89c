#include "operations.h"

#include <cmath>
#include <map>

#include "host/command_word.h"
#include "runtime/convert.h"
#include "runtime/gbk_utf8.h"
#include "signin/signin_ledger.h"
#include "signin/signin_replies.h"

namespace zorvane_host {
namespace {

std::string Gbk(std::string_view utf8) {
  return zorvane::Utf8ToGbkLenient(utf8);
}

std::string Utf8(std::string_view gbk) {
  return zorvane::GbkToUtf8Lenient(gbk);
}

// A balance on the wire: a whole one as an integer (47, not 47.0).
Json BalanceNumber(zorvane::TextView stored) {
  const double value = zorvane::ToNumber(stored);
  if (std::trunc(value) == value && std::fabs(value) < 9e15) {
    return static_cast<std::int64_t>(value);
  }
  return value;
}

const char* OutcomeName(zorvane::SigninOutcome outcome) {
  switch (outcome) {
    case zorvane::SigninOutcome::SignedIn:
      return "signed-in";
    case zorvane::SigninOutcome::AlreadySignedIn:
      return "already";
    case zorvane::SigninOutcome::NotWritten:
      break;
  }
  return "not-written";
}

// The names the caller gives members in the standings (GBK), by number.
std::map<std::string, zorvane::Text, std::less<>> NamesOf(const Request& request) {
  std::map<std::string, zorvane::Text, std::less<>> names;
  const auto given = request.body.find("names");
  if (given == request.body.end() || given->is_null()) {
    return names;
  }
  if (!given->is_object()) {
    throw BadRequest{"names is not an object"};
  }
  for (const auto& [member, name] : given->items()) {
    if (!name.is_string()) {
      throw BadRequest{"the name of " + member + " is not a text"};
    }
    names.emplace(member, Gbk(name.get<std::string>()));
  }
  return names;
}

}  // namespace

Operations HostOperations(zorvane::host::ZorvaneModule& module, const HostSetup& setup) {
  const std::string& folder = setup.folder;
  Operations operations;
  operations["ping"] = [](const Request&) { return Json::object(); };
  operations["info"] = [&setup](const Request&) {
    return Json{{"descriptor", Utf8(setup.descriptor)},
                {"commandWord", Utf8(zorvane::host::CommandWordOf(setup.descriptor))},
                {"site", setup.siteBase}};
  };
  operations["event"] = [&module](const Request& request) {
    const std::string message = Gbk(TextField(request, "message"));
    const std::string type = Gbk(TextField(request, "type"));
    const std::string group = NumberField(request, "group");
    const std::string member = NumberField(request, "member");
    const std::string extra = Gbk(TextField(request, "extra", ""));
    const std::string reply =
        module.Event(message.c_str(), type.c_str(), group.c_str(), member.c_str(), extra.c_str());
    return Json{{"reply", Utf8(reply)}};
  };
  operations["signin"] = [&folder, &setup](const Request& request) {
    const std::string group = NumberField(request, "group");
    const std::string member = NumberField(request, "member");
    const zorvane::Signin signin = zorvane::SignIn(folder, group, member, zorvane::TodaysDate(),
                                                   zorvane::DrawSigninAmount(setup.amounts));
    return Json{{"reply", Utf8(zorvane::SigninReply(signin))},
                {"outcome", OutcomeName(signin.outcome)},
                {"amount", signin.amount},
                {"balance", BalanceNumber(signin.balance)}};
  };
  operations["balance"] = [&folder](const Request& request) {
    const zorvane::Text balance =
        zorvane::BalanceOf(folder, NumberField(request, "group"), NumberField(request, "member"));
    return Json{{"reply", Utf8(zorvane::BalanceReply(balance))},
                {"balance", BalanceNumber(balance)}};
  };
  operations["give"] = [&folder](const Request& request) {
    const std::string group = NumberField(request, "group");
    const std::string member = NumberField(request, "member");
    const std::int64_t amount = AmountField(request, "amount");
    if (!zorvane::PayMember(folder, group, member, static_cast<double>(amount))) {
      throw BadRequest{"the ledger of group " + group + " cannot be written"};
    }
    return Json{{"balance", BalanceNumber(zorvane::BalanceOf(folder, group, member))}};
  };
  operations["top"] = [&folder](const Request& request) {
    const std::string group = NumberField(request, "group");
    const auto names = NamesOf(request);
    const std::vector<zorvane::MemberBalance> members = zorvane::LedgerMembers(folder, group);
    const zorvane::Text reply =
        zorvane::StandingsReply(members, [&names](zorvane::TextView member) {
          const auto name = names.find(member);
          return name == names.end() ? zorvane::Text(member) : name->second;
        });
    Json standings = Json::array();
    for (const zorvane::MemberBalance& member : members) {
      standings.push_back(
          {{"member", Utf8(member.member)}, {"balance", BalanceNumber(member.text)}});
    }
    return Json{{"reply", Utf8(reply)}, {"members", standings}};
  };
  return operations;
}

}  // namespace zorvane_host
