#pragma once
// The teacher's signed-in browsers: random 256-bit session ids, each with its own token for forms
// (a request that changes anything must carry it), ending when idle too long or too old.
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace parlora::classroom {

struct TWebSession {
    std::string id;   // the cookie's value
    std::string csrf; // the forms' hidden field and the scripts' X-CSRF-Token header
    std::chrono::steady_clock::time_point created, seen;
};

class TWebSessions {
  public:
    using Clock = std::chrono::steady_clock;
    TWebSessions(std::chrono::seconds idle = std::chrono::minutes(30),
                 std::chrono::seconds lifetime = std::chrono::hours(10), size_t most = 32);
    // A new session; the oldest goes when there are already `most`.
    TWebSession Open(Clock::time_point now = Clock::now());
    // The live session with this id (its idle time restarts), or none; expired ones are dropped.
    std::optional<TWebSession> Find(std::string_view id, Clock::time_point now = Clock::now());
    void Close(std::string_view id);
    size_t size();
    std::chrono::seconds lifetime() const { return lifetime_; }

  private:
    std::chrono::seconds idle_, lifetime_;
    size_t most_;
    std::mutex mutex_;
    std::map<std::string, TWebSession> byHash_; // keyed by the id's hash: lookups tell nothing of ids
};

// The value of cookie `name` in a Cookie header, or "".
std::string CookieValue(std::string_view header, std::string_view name);
// A Set-Cookie value: HttpOnly, SameSite=Strict, Path=/, Secure under TLS; maxAge 0 removes it.
std::string SessionCookie(std::string_view name, std::string_view value, long long maxAge, bool secure);
// Whether a form's token is the session's, in a time that does not depend on where they differ.
bool SameWebToken(std::string_view given, std::string_view expected);

} // namespace parlora::classroom
