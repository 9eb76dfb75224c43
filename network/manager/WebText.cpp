#include "network/manager/WebText.h"

#include <cstdio>

namespace parlora::classroom {

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            if ((unsigned char)c < 0x20 && c != '\t' && c != '\n' && c != '\r') break;
            if (c == 0x7F) break;
            out += c;
        }
    }
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        unsigned char u = (unsigned char)c;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || c == '<' || c == '>' || c == '&' || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

namespace {

const char* const kTopicNames[] = {"First words", "Food",     "Colours",   "Phrases",   "Body",
                                   "Numbers",     "Time",     "Shopping",  "Countries", "All topics"};
const char* const kKinds[] = {"practice", "speaking", "easy game", "hard game", "worksheet printed",
                              "easy memory quiz", "hard memory quiz"};
// Quiz categories 1 to 8 leave out the phrases; 0 takes every topic (column 9).
const int kQuizTopic[] = {9, 0, 1, 2, 4, 5, 6, 7, 8};

int QuizCategory(int code, bool& hard) {
    if (code == 276 || code == 277) {
        hard = code == 277;
        return 0;
    }
    if (code >= 260 && code <= 275) {
        hard = (code - 260) % 2 == 1;
        return (code - 260) / 2 + 1;
    }
    if (code >= 278 && code <= 286) {
        hard = true;
        return code == 286 ? 0 : code - 277;
    }
    return -1;
}

} // namespace

const char* TopicName(int topic) {
    return topic >= 0 && topic <= kTopics ? kTopicNames[topic] : "";
}

const char* ActivityKindName(int g) {
    return g >= 0 && g < 7 ? kKinds[g] : "";
}

int TopicOfActivity(int code) {
    if (code >= 210 && code < 210 + 5 * kTopics) return (code - 210) / 5;
    if (code == 290) return 0;
    bool hard = false;
    int category = QuizCategory(code, hard);
    return category < 0 ? -1 : kQuizTopic[category];
}

std::string ActivityName(int code) {
    if (code == 0) return "";
    if (code == 201) return "Awards";
    if (code >= 210 && code < 210 + 5 * kTopics)
        return std::string(kTopicNames[(code - 210) / 5]) + ": " + kKinds[(code - 210) % 5];
    if (code == 290) return "First words: hard game (test run)";
    bool hard = false;
    int category = QuizCategory(code, hard);
    if (category >= 0)
        return std::string(hard ? "Hard" : "Easy") + " memory quiz: " + kTopicNames[kQuizTopic[category]];
    return "Activity " + std::to_string(code);
}

} // namespace parlora::classroom
