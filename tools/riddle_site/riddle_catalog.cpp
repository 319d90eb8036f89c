#include "riddle_catalog.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace riddle_site {
namespace {

struct RiddleText {
  std::string_view question;
  std::string_view answer;
};

// Character riddles (打一字) and object riddles, alternating a little so
// that a game does not stay on one kind for long.
constexpr std::array<RiddleText, 40> RiddleTexts = {{
    {"一口咬掉牛尾巴（打一字）", "告"},
    {"一人一张口，口下长只手（打一字）", "拿"},
    {"麻屋子，红帐子，里面住着个白胖子（打一植物）", "花生"},
    {"十个哥哥（打一字）", "克"},
    {"身穿绿衣裳，肚里水汪汪，生的子儿多，个个黑脸膛（打一水果）", "西瓜"},
    {"上下合一（打一字）", "卡"},
    {"小时穿黑衣，大时穿绿袍，水里过日子，岸上来睡觉（打一动物）", "青蛙"},
    {"千里相逢（打一字）", "重"},
    {"千条线，万条线，掉到水里看不见（打一自然现象）", "雨"},
    {"半部春秋（打一字）", "秦"},
    {"红公鸡，绿尾巴，一头钻到地底下（打一蔬菜）", "萝卜"},
    {"自小在一起，目前少联系（打一字）", "省"},
    {"九十九（打一字）", "白"},
    {"头戴红帽子，身穿白袍子，走路摆架子，说话伸脖子（打一动物）", "鹅"},
    {"人在草木中（打一字）", "茶"},
    {"兄弟七八个，围着柱子坐，只要一分开，衣服就扯破（打一植物）", "大蒜"},
    {"有水能养鱼虾，有土能种庄稼，有人不是你我，有马跑遍天下（打一字）", "也"},
    {"有面没有口，有脚没有手，虽有四只脚，自己不会走（打一家具）", "桌子"},
    {"四个山字山靠山，四个川字川连川（打一字）", "田"},
    {"一个黑孩，从不开口，要是开口，掉出舌头（打一食物）", "瓜子"},
    {"大口套小口（打一字）", "回"},
    {"坐也是卧，立也是卧，走也是卧，卧也是卧（打一动物）", "蛇"},
    {"两个月亮（打一字）", "朋"},
    {"远看山有色，近听水无声，春去花还在，人来鸟不惊（打一物品）", "画"},
    {"三人同日去看花（打一字）", "春"},
    {"有时落在山腰，有时挂在树梢，有时像个圆盘，有时像把镰刀（打一自然物）", "月亮"},
    {"一人挑两小人（打一字）", "夹"},
    {"左一片，右一片，隔座山头不见面（打一人体器官）", "耳朵"},
    {"山上还有山（打一字）", "出"},
    {"上边毛，下边毛，中间一颗黑葡萄（打一人体器官）", "眼睛"},
    {"七十二小时（打一字）", "晶"},
    {"有风不动无风动，不动无风动有风（打一物品）", "扇子"},
    {"十张口，一颗心（打一字）", "思"},
    {"一个小姑娘，生在水中央，身穿粉红衫，坐在绿船上（打一植物）", "荷花"},
    {"王先生白小姐坐在石头上（打一字）", "碧"},
    {"看看没有，摸摸倒有，像冰不化，像水不流（打一物品）", "玻璃"},
    {"门里站着一个人（打一字）", "闪"},
    {"兄弟两个一样长，酸甜苦辣它先尝（打一餐具）", "筷子"},
    {"半个月亮（打一字）", "胖"},
    {"一棵小树五个杈，不长叶子不开花（打一人体部位）", "手"},
}};

constexpr std::string_view PathPrefix = "/dmmy/";
constexpr std::string_view PathSuffix = ".html";

const std::vector<Riddle>& Catalog() {
  static const std::vector<Riddle> catalog = [] {
    std::vector<Riddle> riddles;
    int id = FirstRiddleId;
    for (const RiddleText& text : RiddleTexts) {
      riddles.push_back({id++, text.question, text.answer});
    }
    return riddles;
  }();
  return catalog;
}

// The id in "/dmmy/<id>.html", or -1 when path has another shape.
int IdFromPath(std::string_view path) {
  if (!path.starts_with(PathPrefix) || !path.ends_with(PathSuffix)) {
    return -1;
  }
  const std::string_view digits =
      path.substr(PathPrefix.size(), path.size() - PathPrefix.size() - PathSuffix.size());
  int id = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.starts_with("0")) {
    return -1;
  }
  return id;
}

// Enough escaping to show a requested path back inside a page.
std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string PageHead(std::string_view title) {
  std::string head =
      "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\r\n<title>";
  head += title;
  head += "</title>\r\n</head>\r\n<body>\r\n";
  return head;
}

constexpr std::string_view PageTail = "</body>\r\n</html>\r\n";

}  // namespace

std::span<const Riddle> Riddles() {
  return Catalog();
}

std::string RiddlePath(int id) {
  return std::string(PathPrefix) + std::to_string(id) + std::string(PathSuffix);
}

const Riddle* FindRiddleByPath(std::string_view path) {
  const int id = IdFromPath(path);
  const std::vector<Riddle>& riddles = Catalog();
  if (id < FirstRiddleId || id - FirstRiddleId >= static_cast<int>(riddles.size())) {
    return nullptr;
  }
  return &riddles[id - FirstRiddleId];
}

const Riddle* FindRiddleByQuestion(std::string_view question) {
  const std::vector<Riddle>& riddles = Catalog();
  const auto found = std::find_if(riddles.begin(), riddles.end(),
                                  [&](const Riddle& r) { return r.question == question; });
  return found == riddles.end() ? nullptr : &*found;
}

const Riddle& NextRiddle(const Riddle& riddle) {
  const std::vector<Riddle>& riddles = Catalog();
  const std::size_t index = static_cast<std::size_t>(riddle.id - FirstRiddleId);
  return riddles[(index + 1) % riddles.size()];
}

std::string BuildRiddlePage(const Riddle& riddle) {
  const Riddle& next = NextRiddle(riddle);
  // The question must be the page's first h3 heading: nothing above it
  // may use one.
  std::string page = PageHead("谜语大全 - 第" + std::to_string(riddle.id) + "条");
  page += "<div class=\"riddle\">\r\n<h3>";
  page += riddle.question;
  page += "</h3>\r\n<p>想一想再看答案哦。</p>\r\n<h3>谜底：";
  page += riddle.answer;
  page += "</h3>\r\n</div>\r\n<p>下一篇：<a href='";
  page += RiddlePath(next.id);
  page += "'>第" + std::to_string(next.id) + "条谜语</a></p>\r\n";
  page += PageTail;
  return page;
}

std::string BuildUpdatePage(std::string_view updateLink) {
  std::string page = PageHead("Zorvane 版本信息");
  page += "<p>Zorvane 最新版本：1.1</p>\r\n";
  if (updateLink.empty()) {
    page += "<p>当前没有新版本。</p>\r\n";
  } else {
    page += "<p>[更新连接：]";
    page += updateLink;
    page += "。</p>\r\n";
  }
  page += PageTail;
  return page;
}

std::string BuildIndexPage() {
  std::string page = PageHead("谜语大全");
  page += "<p>从第一条谜语开始：<a href='" + RiddlePath(FirstRiddleId) + "'>第" +
          std::to_string(FirstRiddleId) + "条谜语</a></p>\r\n";
  page += PageTail;
  return page;
}

std::string BuildNotFoundPage(std::string_view path) {
  std::string page = PageHead("找不到页面");
  page += "<p>找不到页面：" + EscapeHtml(path) + "</p>\r\n";
  page += PageTail;
  return page;
}

}  // namespace riddle_site
