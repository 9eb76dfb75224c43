#pragma once
// Text for the teacher's web page: escaping for HTML and JSON, and the names of the course's
// topics and activities as the pupils report them (activity codes).
#include <string>
#include <string_view>

namespace parlora::classroom {

// For element text and quoted attribute values alike: & < > " ' become entities; control
// characters other than tab and line breaks are dropped.
std::string HtmlEscape(std::string_view text);
// A JSON string, quotes included; < > & are escaped as well, so the text is safe inside a page.
std::string JsonString(std::string_view text);

constexpr int kTopics = 9;       // topics 0 to 8; column 9 of a score table is the mixed quiz
const char* TopicName(int topic); // "" outside 0..9 (9: "All topics")
// The topic column an activity code belongs to (0..9), or -1 (the award screen, none).
int TopicOfActivity(int code);
// "Food: easy game", "Memory quiz (hard): countries", "Awards", "" for 0, "Activity N" when unknown.
std::string ActivityName(int code);
// The activity of a score-table column g (0 practice .. 6 hard memory quiz).
const char* ActivityKindName(int g);

} // namespace parlora::classroom
