#include "network/manager/WebSession.h"

#include "network/manager/PupilCredentials.h"

namespace parlora::classroom {

TWebSessions::TWebSessions(std::chrono::seconds idle, std::chrono::seconds lifetime, size_t most)
    : idle_(idle), lifetime_(lifetime), most_(most ? most : 1) {}

TWebSession TWebSessions::Open(Clock::time_point now) {
    TWebSession s{NewPupilSecret(), NewPupilSecret(), now, now};
    std::lock_guard<std::mutex> lock(mutex_);
    while (byHash_.size() >= most_) {
        auto oldest = byHash_.begin();
        for (auto it = byHash_.begin(); it != byHash_.end(); ++it)
            if (it->second.created < oldest->second.created) oldest = it;
        byHash_.erase(oldest);
    }
    byHash_[Sha256Hex(s.id)] = s;
    return s;
}

std::optional<TWebSession> TWebSessions::Find(std::string_view id, Clock::time_point now) {
    if (id.size() != 64) return std::nullopt;
    std::string hash = Sha256Hex(id);
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = byHash_.begin(); it != byHash_.end();) {
        if (now - it->second.seen > idle_ || now - it->second.created > lifetime_)
            it = byHash_.erase(it);
        else
            ++it;
    }
    auto it = byHash_.find(hash);
    if (it == byHash_.end()) return std::nullopt;
    it->second.seen = now;
    return it->second;
}

void TWebSessions::Close(std::string_view id) {
    std::lock_guard<std::mutex> lock(mutex_);
    byHash_.erase(Sha256Hex(id));
}

size_t TWebSessions::size() {
    std::lock_guard<std::mutex> lock(mutex_);
    return byHash_.size();
}

std::string CookieValue(std::string_view header, std::string_view name) {
    while (!header.empty()) {
        size_t end = header.find(';');
        std::string_view part = header.substr(0, end);
        header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        size_t eq = part.find('=');
        if (eq != std::string_view::npos && part.substr(0, eq) == name) return std::string(part.substr(eq + 1));
    }
    return "";
}

std::string SessionCookie(std::string_view name, std::string_view value, long long maxAge, bool secure) {
    return std::string(name) + "=" + std::string(value) + "; Path=/; HttpOnly; SameSite=Strict; Max-Age=" +
           std::to_string(maxAge) + (secure ? "; Secure" : "");
}

bool SameWebToken(std::string_view given, std::string_view expected) {
    return !expected.empty() && SameSecret(Sha256Hex(given), Sha256Hex(expected));
}

} // namespace parlora::classroom
