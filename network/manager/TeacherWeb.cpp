#include "network/manager/TeacherWeb.h"

#include "network/classroom.pb.h"
#include "network/manager/ClassroomServer.h"
#include "network/manager/PupilCredentials.h"
#include "network/manager/WebSession.h"
#include "network/manager/WebText.h"

#include <arpa/inet.h>
#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <atomic>
#include <ctime>
#include <deque>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace parlora::classroom {

namespace {

constexpr const char* kSessionCookie = "parlora_session";
constexpr const char* kSignInCookie = "parlora_signin"; // ties the sign-in form to its browser
constexpr size_t kMaxBody = 16 * 1024;
constexpr int kSignInFailures = 10; // wrong tokens per minute before sign-in pauses

const char kStyle[] = R"CSS(
body{font:16px/1.4 system-ui,sans-serif;margin:0;color:#1b1b1b;background:#f4f5f7}
header{background:#1d4f91;color:#fff;padding:.4em 1em}
header nav{display:flex;gap:1em;align-items:center;flex-wrap:wrap}
header a{color:#fff;font-weight:600}
header form{margin-left:auto}
main{padding:1em}
a:focus,button:focus,input:focus,select:focus{outline:3px solid #f5a623;outline-offset:2px}
.grid{display:grid;grid-template-columns:repeat(auto-fill,minmax(260px,1fr));gap:1em;list-style:none;padding:0}
.card{display:block;background:#fff;border:1px solid #ccd;border-radius:6px;padding:.5em;color:inherit;text-decoration:none}
.card img,.noshot{width:256px;height:192px;display:block;background:#223;color:#ccd;text-align:center}
.noshot{line-height:192px}
.name{font-weight:700;font-size:1.1em}
.online{color:#0a6b2d}.offline{color:#8a1c1c}
table{border-collapse:collapse;background:#fff}
th,td{border:1px solid #ccd;padding:.25em .5em;text-align:left}
th button{font:inherit;font-weight:700;background:none;border:0;cursor:pointer;padding:0}
.big img{max-width:100%;width:1024px;height:auto;display:block;background:#223}
.log{max-height:24em;overflow:auto;background:#fff;border:1px solid #ccd;padding:.5em;white-space:pre-wrap}
.msg{background:#fff6d5;border:1px solid #e0c060;padding:.5em}
.err{background:#fde;border:1px solid #c66;padding:.5em}
.codes td{font-family:monospace;font-size:1.3em}
@media print{header,.noprint{display:none}}
[hidden]{display:none!important}
)CSS";

// The page's own script: refreshes the live parts once a second and sorts tables; it only ever
// sets text, never markup.
const char kScript[] = R"JS('use strict';
(function () {
  function set(el, key, value) {
    var t = el.querySelector('[data-k="' + key + '"]');
    if (t && t.textContent !== String(value)) t.textContent = String(value);
    if (t && key === 'state') t.className = value === 'online' ? 'online' : 'offline';
  }
  function update(d) {
    d.pupils.forEach(function (p) {
      document.querySelectorAll('[data-pupil="' + p.pupil + '"]').forEach(function (el) {
        set(el, 'state', p.state);
        set(el, 'activity', p.activity || 'no activity');
        set(el, 'last', p.lastScore < 0 ? '-' : p.lastScore);
        set(el, 'quiz', p.quizScore);
        var img = el.querySelector('img[data-size]');
        if (img && p.v && img.getAttribute('data-v') !== String(p.v)) {
          img.setAttribute('data-v', String(p.v));
          img.src = '/screen/' + p.pupil + '.png?size=' + img.getAttribute('data-size') + '&v=' + p.v;
          img.hidden = false;
          var none = el.querySelector('.noshot');
          if (none) none.hidden = true;
        }
      });
    });
  }
  function poll() {
    fetch('/class.json', {cache: 'no-store', credentials: 'same-origin', redirect: 'error'})
      .then(function (r) {
        if (!r.ok) throw new Error(String(r.status));
        return r.json();
      })
      .then(function (d) { update(d); setTimeout(poll, 1000); })
      .catch(function () { setTimeout(poll, 3000); });
  }
  if (document.querySelector('[data-live]')) poll();

  document.querySelectorAll('table[data-sortable]').forEach(function (table) {
    var heads = table.querySelectorAll('th button');
    heads.forEach(function (button, column) {
      button.addEventListener('click', function () {
        var th = button.parentNode;
        var up = th.getAttribute('aria-sort') !== 'ascending';
        table.querySelectorAll('th').forEach(function (h) { h.removeAttribute('aria-sort'); });
        th.setAttribute('aria-sort', up ? 'ascending' : 'descending');
        var body = table.tBodies[0];
        var rows = Array.prototype.slice.call(body.rows);
        function key(row) {
          var cell = row.cells[column];
          var v = cell.getAttribute('data-sort');
          return v === null ? cell.textContent : v;
        }
        rows.sort(function (a, b) {
          var x = key(a), y = key(b), nx = parseFloat(x), ny = parseFloat(y);
          var c = (!isNaN(nx) && !isNaN(ny)) ? nx - ny : x.localeCompare(y);
          return up ? c : -c;
        });
        rows.forEach(function (r) { body.appendChild(r); });
      });
    });
  });
  document.querySelectorAll('[data-print]').forEach(function (b) {
    b.addEventListener('click', function () { window.print(); });
  });
  var random = document.getElementById('random');
  if (random) random.addEventListener('click', function () {
    document.getElementById('value').value = String(1 + Math.floor(Math.random() * 99999));
  });
})();
)JS";

std::string Num(long long v) {
    return std::to_string(v);
}

std::string UrlEncode(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
            out += char(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

std::string Medals(int total) {
    if (total >= 1500) return "gold, silver, bronze";
    if (total >= 1200) return "silver, bronze";
    if (total >= 900) return "bronze";
    return "none yet";
}

std::string StateOf(const TPupilStatus& p) {
    return p.connected ? (p.lost ? "lost" : "online") : "offline";
}

// The date part of an ISO 8601 time, as kept with each result.
std::string DateOf(const std::string& at) {
    return at.substr(0, std::min<size_t>(at.size(), 10));
}

// HOST:PORT, with HOST possibly in brackets.
std::pair<std::string, int> SplitAddress(const std::string& address) {
    size_t colon = address.rfind(':');
    if (colon == std::string::npos || colon + 1 == address.size() ||
        address.find_first_not_of("0123456789", colon + 1) != std::string::npos || address.size() - colon > 6)
        throw std::invalid_argument("--web needs HOST:PORT, not " + address);
    std::string host = address.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    int port = std::stoi(address.substr(colon + 1));
    if (port > 65535) throw std::invalid_argument("--web: no port " + std::to_string(port));
    return {host, port};
}

} // namespace

bool IsLoopbackHost(const std::string& host) {
    in_addr v4{};
    // An address, not a name that merely starts like one ("127.0.0.1.example.org").
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    return host == "localhost" || host == "::1" || host == "[::1]";
}

struct TTeacherWeb::Impl {
    TClassroomServer& classroom;
    TTeacherWebOptions options;
    TWebSessions sessions;
    std::unique_ptr<httplib::Server> http;
    std::thread thread;
    std::string host;
    int port = 0;
    bool tls = false;
    std::mutex mutex; // the pictures below and the sign-in failures
    std::map<std::pair<int, int>, std::pair<uint64_t, std::string>> pictures; // (pupil, divisor) -> version, PNG
    std::deque<std::chrono::steady_clock::time_point> failures;

    Impl(TClassroomServer& c, TTeacherWebOptions o)
        : classroom(c), options(std::move(o)), sessions(options.idle, options.lifetime) {}

    // ---- the frame of every page

    static void Secure(httplib::Response& res, const std::string& nonce) {
        res.set_header("Content-Security-Policy",
                       "default-src 'none'; img-src 'self'; script-src 'self'; connect-src 'self'; style-src 'nonce-" +
                           nonce + "'; form-action 'self'; frame-ancestors 'none'; base-uri 'none'");
        res.set_header("X-Content-Type-Options", "nosniff");
        res.set_header("Referrer-Policy", "no-referrer");
        res.set_header("Cache-Control", "no-store");
    }
    void Page(httplib::Response& res, const std::string& title, const std::string& body, const TWebSession* s,
              bool live = false) {
        std::string nonce = NewPupilSecret().substr(0, 32);
        std::string html = "<!doctype html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                           "<title>" + HtmlEscape(title) + " - Parlora classroom</title><style nonce=\"" + nonce + "\">" +
                           kStyle + "</style>";
        if (s) html += "<script src=\"/app.js\" defer></script>";
        html += "</head><body" + std::string(live ? " data-live=\"1\"" : "") + ">";
        if (s)
            html += "<header><nav aria-label=\"Pages\"><a href=\"/\">Class</a><a href=\"/quiz\">Quiz</a>"
                    "<a href=\"/results\">Results</a><a href=\"/roster\">Roster and enrolment</a>"
                    "<form method=\"post\" action=\"/signout\">" + Csrf(*s) +
                    "<button type=\"submit\">Sign out</button></form></nav></header>";
        html += "<main><h1>" + HtmlEscape(title) + "</h1>" + body + "</main></body></html>\n";
        Secure(res, nonce);
        res.set_content(html, "text/html; charset=utf-8");
    }
    static std::string Csrf(const TWebSession& s) {
        return "<input type=\"hidden\" name=\"csrf\" value=\"" + HtmlEscape(s.csrf) + "\">";
    }
    static void Plain(httplib::Response& res, int status, const std::string& text) {
        res.status = status;
        Secure(res, "none");
        res.set_content(text + "\n", "text/plain; charset=utf-8");
    }
    static void SeeOther(httplib::Response& res, const std::string& where) {
        res.status = 303;
        res.set_header("Location", where);
        Secure(res, "none");
    }

    // ---- who is asking

    std::optional<TWebSession> SessionOf(const httplib::Request& req) {
        return sessions.Find(CookieValue(req.get_header_value("Cookie"), kSessionCookie));
    }
    // Only this page's own address: a site that gets a browser to resolve its name to this
    // computer (DNS rebinding) is turned away.
    bool HostAllowed(const httplib::Request& req) const {
        if (tls && !IsLoopbackHost(host)) return true; // the certificate names the host
        std::string h = req.get_header_value("Host");
        size_t colon = h.rfind(':');
        std::string name = colon == std::string::npos || h.back() == ']' ? h : h.substr(0, colon);
        return IsLoopbackHost(name) || name == "[::1]";
    }
    // A change needs the session and its form token; the browser's Origin, when it sends one,
    // must be this page.
    template <class F> auto Change(F body) {
        return [this, body](const httplib::Request& req, httplib::Response& res) {
            std::optional<TWebSession> s = SessionOf(req);
            if (!s) return Plain(res, 403, "Sign in first.");
            std::string token = req.has_param("csrf") ? req.get_param_value("csrf") : req.get_header_value("X-CSRF-Token");
            if (!SameWebToken(token, s->csrf)) return Plain(res, 403, "This form has expired: reload the page.");
            std::string origin = req.get_header_value("Origin");
            // The address the browser used (checked above for a loopback page), not the one bound:
            // a page on 0.0.0.0 is reached by the computer's own name.
            std::string self = std::string(tls ? "https://" : "http://") + req.get_header_value("Host");
            if (!origin.empty() && origin != "null" && origin != self)
                return Plain(res, 403, "Refused: the request comes from another site.");
            try {
                body(req, res, *s);
            } catch (const std::invalid_argument& e) {
                Plain(res, 400, e.what());
            } catch (const std::exception& e) {
                Plain(res, 500, e.what());
            }
        };
    }
    template <class F> auto View(F body, bool live = false) {
        return [this, body, live](const httplib::Request& req, httplib::Response& res) {
            std::optional<TWebSession> s = SessionOf(req);
            if (!s) return SeeOther(res, "/signin");
            try {
                body(req, res, *s);
            } catch (const std::exception& e) {
                Plain(res, 500, e.what());
            }
        };
    }

    std::string url() const {
        std::string h = host.find(':') != std::string::npos ? "[" + host + "]" : host;
        return std::string(tls ? "https" : "http") + "://" + h + ":" + std::to_string(port);
    }

    // ---- sign-in

    void SignInForm(const httplib::Request& req, httplib::Response& res, const std::string& message,
                    int status = 200) {
        // One form token per browser while it signs in: a second tab, or the browser's own
        // fetches led here, must not void the first form.
        std::string pre = CookieValue(req.get_header_value("Cookie"), kSignInCookie);
        if (pre.size() != 64 || pre.find_first_not_of("0123456789abcdef") != std::string::npos) pre = NewPupilSecret();
        res.status = status;
        res.set_header("Set-Cookie", SessionCookie(kSignInCookie, pre, 900, tls));
        std::string body;
        if (!message.empty()) body += "<p class=\"err\" role=\"alert\">" + HtmlEscape(message) + "</p>";
        body += "<form method=\"post\" action=\"/signin\"><input type=\"hidden\" name=\"csrf\" value=\"" + pre +
                "\"><p><label for=\"token\">Teacher's token</label><br><input id=\"token\" name=\"token\" "
                "type=\"password\" autocomplete=\"current-password\" required autofocus></p>"
                "<p><button type=\"submit\">Sign in</button></p></form>";
        Page(res, "Sign in", body, nullptr);
    }
    void SignIn(const httplib::Request& req, httplib::Response& res) {
        std::string pre = CookieValue(req.get_header_value("Cookie"), kSignInCookie);
        if (pre.empty() || !SameWebToken(req.get_param_value("csrf"), pre))
            return SignInForm(req, res, "The sign-in form had expired: please sign in again.", 403);
        {
            std::lock_guard<std::mutex> lock(mutex);
            auto now = std::chrono::steady_clock::now();
            while (!failures.empty() && now - failures.front() > std::chrono::minutes(1))
                failures.pop_front();
            if (failures.size() >= kSignInFailures)
                return SignInForm(req, res, "Too many wrong tokens: wait a minute, then try again.", 429);
        }
        if (!SameWebToken(req.get_param_value("token"), options.teacherToken)) {
            std::lock_guard<std::mutex> lock(mutex);
            failures.push_back(std::chrono::steady_clock::now());
            return SignInForm(req, res, "Wrong teacher's token.", 403);
        }
        TWebSession s = sessions.Open();
        res.set_header("Set-Cookie", SessionCookie(kSessionCookie, s.id, sessions.lifetime().count(), tls));
        SeeOther(res, "/");
    }

    // ---- the class

    std::string Json() {
        std::string out = "{\"pupils\":[";
        bool first = true;
        for (const TPupilStatus& p : classroom.Status()) {
            if (!first) out += ",";
            first = false;
            out += "{\"pupil\":" + Num(p.pupil) + ",\"student\":" + JsonString(p.student) + ",\"state\":" +
                   JsonString(StateOf(p)) + ",\"activity\":" + JsonString(ActivityName(p.activity)) +
                   ",\"code\":" + Num(p.activity) + ",\"quizScore\":" + Num(p.quizScore) +
                   ",\"lastScore\":" + Num(p.lastScore) + ",\"award\":" + Num(p.award) +
                   ",\"v\":" + Num((long long)p.screenVersion) + "}";
        }
        return out + "]}";
    }
    std::string Thumb(const TPupilStatus& p, const char* size, const char* extraClass = "") {
        std::string alt = "Screen of " + p.student;
        std::string v = Num((long long)p.screenVersion);
        std::string img = "<img data-size=\"" + std::string(size) + "\" data-v=\"" + v + "\" alt=\"" +
                          HtmlEscape(alt) + "\"" + extraClass;
        if (p.screenVersion)
            return img + " src=\"/screen/" + Num(p.pupil) + ".png?size=" + size + "&amp;v=" + v + "\">";
        return img + " hidden><span class=\"noshot\">No picture yet</span>";
    }
    void ClassPage(httplib::Response& res, const TWebSession& s) {
        classroom.WatchScreens();
        std::vector<TPupilStatus> pupils = classroom.Status();
        std::string body = "<ul class=\"grid\" aria-label=\"Pupils\">";
        for (const TPupilStatus& p : pupils) {
            body += "<li data-pupil=\"" + Num(p.pupil) + "\"><a class=\"card\" href=\"/pupil/" + Num(p.pupil) + "\">" +
                    Thumb(p, "s") + "<span class=\"name\">" + HtmlEscape(p.student) + "</span><br>" +
                    "<span data-k=\"state\" class=\"" + (StateOf(p) == "online" ? "online" : "offline") + "\">" +
                    StateOf(p) + "</span> &middot; <span data-k=\"activity\">" +
                    HtmlEscape(p.activity ? ActivityName(p.activity) : "no activity") + "</span><br>Last score: <span data-k=\"last\">" +
                    (p.lastScore < 0 ? "-" : Num(p.lastScore)) + "</span></a></li>";
        }
        body += "</ul>";
        if (pupils.empty()) body += "<p>The roster is empty: add pupils under Roster and enrolment.</p>";
        Page(res, "Class", body, &s, true);
    }

    void Picture(const httplib::Request& req, httplib::Response& res, int pupil) {
        int divisor = req.get_param_value("size") == "l" ? 1 : kThumbnailDivisor;
        uint64_t latest = 0;
        for (const TPupilStatus& p : classroom.Status())
            if (p.pupil == pupil) latest = p.screenVersion;
        std::string png;
        {
            std::lock_guard<std::mutex> lock(mutex);
            auto it = pictures.find({pupil, divisor});
            if (it != pictures.end() && it->second.first == latest) png = it->second.second;
        }
        if (png.empty() && latest) {
            uint64_t version = 0;
            Surface small = classroom.Screen(pupil, divisor, version);
            if (!small.empty()) {
                png = small.encodePng();
                std::lock_guard<std::mutex> lock(mutex);
                pictures[{pupil, divisor}] = {version, png};
            }
        }
        if (png.empty()) return Plain(res, 404, "No picture of this pupil yet.");
        Secure(res, "none");
        // The address carries the version: a browser may keep each picture.
        res.set_header("Cache-Control", "private, max-age=3600");
        res.set_content(png, "image/png");
    }

    // ---- one pupil

    void PupilPage(httplib::Response& res, const TWebSession& s, int pupil) {
        classroom.WatchScreens();
        std::optional<TPupilStatus> found;
        for (const TPupilStatus& p : classroom.Status())
            if (p.pupil == pupil) found = p;
        if (!found) return Plain(res, 404, "No such pupil on the roster.");
        const TPupilStatus& p = *found;
        IProfileStore& store = classroom.store();
        std::string section = "Student " + p.student;
        auto value = [&](const char* key, const std::string& fallback) {
            std::optional<std::string> v = store.Get(p.target, section, key);
            return v ? *v : fallback;
        };
        int total = std::atoi(value("Score", "0").c_str());
        std::string body = "<div data-pupil=\"" + Num(p.pupil) + "\"><p><span data-k=\"state\" class=\"" +
                           (StateOf(p) == "online" ? "online" : "offline") + "\">" + StateOf(p) +
                           "</span> &middot; <span data-k=\"activity\">" +
                           HtmlEscape(p.activity ? ActivityName(p.activity) : "no activity") +
                           "</span> &middot; quiz score <span data-k=\"quiz\">" + Num(p.quizScore) +
                           "</span> &middot; last score <span data-k=\"last\">" +
                           (p.lastScore < 0 ? "-" : Num(p.lastScore)) + "</span></p><div class=\"big\">" +
                           Thumb(p, "l") + "</div></div>";
        body += "<h2>Records</h2><p>Pupil " + Num(p.pupil) + ", language " + Num(p.target) + ". Sessions: " +
                HtmlEscape(value("Sessions", "0")) + "; last used: " + HtmlEscape(value("LastUsed", "-")) +
                "; total: " + Num(total) + "; medals: " + Medals(total) + ".</p>";
        // The latest date of each topic and activity, from the results the pupil reported.
        std::vector<TResultRow> rows;
        for (const TResultRow& r : store.Results())
            if (r.pupil == p.pupil && r.student == p.student) rows.push_back(r);
        std::map<std::pair<int, int>, std::string> dates;
        for (const TResultRow& r : rows) {
            if (r.kind != "end") continue;
            int topic = TopicOfActivity(r.activity);
            int g = r.activity >= 210 && r.activity < 255 ? (r.activity - 210) % 5
                                                          : (ActivityName(r.activity).rfind("Hard", 0) == 0 ? 6 : 5);
            if (topic >= 0) dates[{topic, g}] = DateOf(r.at);
        }
        body += "<table><caption>Scores by topic and activity (- never done)</caption><thead><tr><th scope=\"col\">Topic</th>";
        for (int g = 0; g < 7; ++g)
            body += "<th scope=\"col\">" + std::string(ActivityKindName(g)) + "</th>";
        body += "</tr></thead><tbody>";
        std::vector<std::vector<std::string>> table(7);
        for (int g = 0; g < 7; ++g)
            table[size_t(g)] = Split(value(("Game" + Num(g)).c_str(), ""));
        for (int t = 0; t <= kTopics; ++t) {
            body += "<tr><th scope=\"row\">" + std::string(TopicName(t)) + "</th>";
            for (int g = 0; g < 7; ++g) {
                std::string v = size_t(t) < table[size_t(g)].size() ? table[size_t(g)][size_t(t)] : "";
                std::string cell = v.empty() || v == "-1" ? "-" : HtmlEscape(v);
                auto d = dates.find({t, g});
                if (d != dates.end()) cell += " <small>(" + HtmlEscape(d->second) + ")</small>";
                body += "<td>" + cell + "</td>";
            }
            body += "</tr>";
        }
        body += "</tbody></table><h2>Results reported</h2>";
        if (rows.empty()) body += "<p>None yet.</p>";
        else {
            body += "<table><thead><tr><th scope=\"col\">When (UTC)</th><th scope=\"col\">What</th><th "
                    "scope=\"col\">Score</th></tr></thead><tbody>";
            size_t from = rows.size() > 100 ? rows.size() - 100 : 0;
            for (size_t i = rows.size(); i-- > from;) {
                const TResultRow& r = rows[i];
                body += "<tr><td>" + HtmlEscape(r.at) + "</td><td>" +
                        HtmlEscape(r.kind == "end" ? ActivityName(r.activity) : "Total (award level " + Num(r.award) + ")") +
                        "</td><td>" + Num(r.score) + "</td></tr>";
            }
            body += "</tbody></table>";
        }
        body += "<h2 id=\"log\">Call log</h2><div class=\"log\" tabindex=\"0\" aria-labelledby=\"log\">";
        for (const std::string& line : classroom.Log(p.pupil))
            body += HtmlEscape(line) + "\n";
        body += "</div>";
        Page(res, p.student, body, &s, true);
    }

    static std::vector<std::string> Split(const std::string& text) {
        std::vector<std::string> out;
        std::stringstream ss(text);
        for (std::string f; std::getline(ss, f, ',');)
            out.push_back(f);
        return out;
    }

    // ---- quiz

    void QuizPage(const httplib::Request& req, httplib::Response& res, const TWebSession& s) {
        std::string body;
        if (req.has_param("sent"))
            body += "<p class=\"msg\" role=\"status\">" + HtmlEscape(req.get_param_value("what")) + " sent to " +
                    Num(std::atoi(req.get_param_value("sent").c_str())) + " pupil(s).</p>";
        body += "<form method=\"post\" action=\"/quiz/start\">" + Csrf(s) +
                "<p><label for=\"activity\">Quiz</label> <select id=\"activity\" name=\"activity\">";
        const int easy[] = {276, 260, 262, 264, 266, 268, 270, 272, 274};
        for (int hard = 0; hard < 2; ++hard)
            for (int code : easy)
                body += "<option value=\"" + Num(code + hard) + "\">" + HtmlEscape(ActivityName(code + hard)) + "</option>";
        body += "</select></p><p><label for=\"value\">Start value (the same cards for everyone)</label> "
                "<input id=\"value\" name=\"value\" type=\"number\" min=\"0\" max=\"2147483647\" required value=\"" +
                Num(1 + std::random_device()() % 99999) +
                "\"> <button type=\"button\" id=\"random\">Another random value</button></p>"
                "<p><button type=\"submit\">Start the quiz</button></p></form>"
                "<form method=\"post\" action=\"/quiz/stop\">" + Csrf(s) +
                "<p><button type=\"submit\">Stop the quiz</button></p></form>"
                "<form method=\"post\" action=\"/quiz/options\">" + Csrf(s) +
                "<fieldset><legend>Hard quiz sizes</legend><label for=\"start\">Cards at the start</label> "
                "<input id=\"start\" name=\"start\" type=\"number\" min=\"0\" max=\"255\" value=\"2\" required> "
                "<label for=\"switch\">Switches</label> <input id=\"switch\" name=\"switch\" type=\"number\" min=\"0\" "
                "max=\"255\" value=\"7\" required> <button type=\"submit\">Set the sizes</button></fieldset></form>"
                "<h2>Scores</h2><table id=\"scores\"><thead><tr><th scope=\"col\">Pupil</th><th scope=\"col\">State</th>"
                "<th scope=\"col\">Activity</th><th scope=\"col\">Quiz score</th><th scope=\"col\">Last score</th></tr>"
                "</thead><tbody>";
        for (const TPupilStatus& p : classroom.Status())
            body += "<tr data-pupil=\"" + Num(p.pupil) + "\"><th scope=\"row\">" + HtmlEscape(p.student) +
                    "</th><td data-k=\"state\">" + StateOf(p) + "</td><td data-k=\"activity\">" +
                    HtmlEscape(p.activity ? ActivityName(p.activity) : "no activity") + "</td><td data-k=\"quiz\">" +
                    Num(p.quizScore) + "</td><td data-k=\"last\">" + (p.lastScore < 0 ? "-" : Num(p.lastScore)) +
                    "</td></tr>";
        body += "</tbody></table>";
        Page(res, "Quiz", body, &s, true);
    }
    static int IntParam(const httplib::Request& req, const char* name, long long low, long long high) {
        std::string text = req.get_param_value(name);
        char* end = nullptr;
        long long v = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || *end || v < low || v > high)
            throw std::invalid_argument(std::string(name) + " must be a whole number from " + Num(low) + " to " +
                                        Num(high));
        return int(v);
    }

    // ---- results

    void ResultsPage(httplib::Response& res, const TWebSession& s) {
        std::vector<TPupilStatus> pupils = classroom.Status();
        // The latest score of each pupil in each topic, with its date.
        std::map<std::pair<int, int>, TResultRow> latest;
        for (const TResultRow& r : classroom.store().Results()) {
            int topic = r.kind == "end" ? TopicOfActivity(r.activity) : -1;
            if (topic >= 0) latest[{r.pupil, topic}] = r;
        }
        std::string body = "<p><a href=\"/results.csv\" download>Download the scores (CSV)</a></p>"
                           "<table data-sortable id=\"results\"><caption>Latest score by topic (sort with the column "
                           "buttons)</caption><thead><tr><th scope=\"col\"><button type=\"button\">Pupil</button></th>";
        for (int t = 0; t <= kTopics; ++t)
            body += "<th scope=\"col\"><button type=\"button\">" + std::string(TopicName(t)) + "</button></th>";
        body += "<th scope=\"col\"><button type=\"button\">Last score</button></th></tr></thead><tbody>";
        for (const TPupilStatus& p : pupils) {
            body += "<tr><th scope=\"row\" data-sort=\"" + HtmlEscape(p.student) + "\"><a href=\"/pupil/" + Num(p.pupil) +
                    "\">" + HtmlEscape(p.student) + "</a></th>";
            for (int t = 0; t <= kTopics; ++t) {
                auto it = latest.find({p.pupil, t});
                if (it == latest.end())
                    body += "<td data-sort=\"-1\">-</td>";
                else
                    body += "<td data-sort=\"" + Num(it->second.score) + "\">" + Num(it->second.score) + " <small>" +
                            HtmlEscape(DateOf(it->second.at)) + "</small></td>";
            }
            body += "<td data-sort=\"" + Num(p.lastScore) + "\">" + (p.lastScore < 0 ? "-" : Num(p.lastScore)) + "</td></tr>";
        }
        body += "</tbody></table>";
        Page(res, "Results", body, &s);
    }

    // ---- roster and enrolment

    void RosterPage(const httplib::Request& req, httplib::Response& res, const TWebSession& s) {
        std::string body;
        if (req.has_param("done")) body += "<p class=\"msg\" role=\"status\">" + HtmlEscape(req.get_param_value("done")) + "</p>";
        body += "<form method=\"post\" action=\"/enrol\" id=\"enrolform\">" + Csrf(s) +
                "</form><table><caption>The roster</caption><thead><tr><th scope=\"col\">Enrol</th><th scope=\"col\">Pupil</th><th "
                "scope=\"col\">Student</th><th scope=\"col\">Language</th><th scope=\"col\">Enrolled</th><th "
                "scope=\"col\">State</th><th scope=\"col\">Remove</th></tr></thead><tbody>";
        for (const TPupilStatus& p : classroom.Status()) {
            std::string name = HtmlEscape(p.student);
            body += "<tr><td><input type=\"checkbox\" name=\"pupil\" form=\"enrolform\" value=\"" + Num(p.pupil) +
                    "\" aria-label=\"Enrol " + name + "\"></td><td>" + Num(p.pupil) + "</td><td>" + name + "</td><td>" +
                    Num(p.target) + "</td><td>" + (p.enrolled ? "yes" : "no") + "</td><td>" + StateOf(p) +
                    "</td><td><form method=\"post\" action=\"/roster/remove\">" + Csrf(s) +
                    "<input type=\"hidden\" name=\"pupil\" value=\"" + Num(p.pupil) +
                    "\"><button type=\"submit\" aria-label=\"Remove " + name + "\">Remove</button></form></td></tr>";
        }
        body += "</tbody></table><p><button type=\"submit\" form=\"enrolform\">Enrolment codes for the pupils ticked "
                "(none ticked: everyone)</button></p>"
                "<h2>Add a pupil</h2><form method=\"post\" action=\"/roster/add\">" + Csrf(s) +
                "<p><label for=\"number\">Number</label> <input id=\"number\" name=\"pupil\" type=\"number\" min=\"1\" "
                "max=\"999999\" required> <label for=\"student\">Student's name</label> <input id=\"student\" "
                "name=\"student\" maxlength=\"100\" required> <label for=\"target\">Language (0: the class's)</label> "
                "<input id=\"target\" name=\"target\" type=\"number\" min=\"0\" max=\"99\" value=\"0\"> "
                "<button type=\"submit\">Add</button></p></form>";
        Page(res, "Roster and enrolment", body, &s);
    }
    void EnrolSheet(const httplib::Request& req, httplib::Response& res, const TWebSession& s) {
        std::vector<int> pupils;
        size_t n = req.get_param_value_count("pupil");
        for (size_t i = 0; i < n && i < kMaxRoster; ++i) {
            std::string v = req.get_param_value("pupil", i);
            pupils.push_back(std::atoi(v.c_str()));
        }
        std::vector<TEnrolCode> codes = classroom.Enrol(pupils);
        std::string body = "<p class=\"noprint\"><button type=\"button\" data-print>Print this sheet</button> "
                           "Each code enrols one computer as its pupil, once; a new sheet replaces these codes.</p>"
                           "<table class=\"codes\"><thead><tr><th scope=\"col\">Pupil</th><th scope=\"col\">Student</th>"
                           "<th scope=\"col\">Enrolment code</th><th scope=\"col\">Valid until (UTC)</th></tr></thead><tbody>";
        for (const TEnrolCode& c : codes) {
            char until[32] = "";
            std::time_t t = std::time_t(c.expires);
            std::tm tm{};
            gmtime_r(&t, &tm);
            std::strftime(until, sizeof until, "%Y-%m-%d %H:%M", &tm);
            body += "<tr><td>" + Num(c.pupil) + "</td><td>" + HtmlEscape(c.student) + "</td><td>" + HtmlEscape(c.code) +
                    "</td><td>" + until + "</td></tr>";
        }
        body += "</tbody></table>";
        Page(res, "Enrolment codes", body, &s);
    }

    // ---- the routes

    void Routes() {
        httplib::Server& h = *http;
        h.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            if (!HostAllowed(req)) {
                Plain(res, 421, "Refused: this page answers only at its own address.");
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
        h.Get("/signin", [this](const httplib::Request& req, httplib::Response& res) {
            if (SessionOf(req)) return SeeOther(res, "/");
            SignInForm(req, res, "");
        });
        h.Post("/signin", [this](const httplib::Request& req, httplib::Response& res) { SignIn(req, res); });
        h.Post("/signout", Change([this](const httplib::Request& req, httplib::Response& res, const TWebSession&) {
                   sessions.Close(CookieValue(req.get_header_value("Cookie"), kSessionCookie));
                   res.set_header("Set-Cookie", SessionCookie(kSessionCookie, "", 0, tls));
                   SeeOther(res, "/signin");
               }));
        h.Get("/", View([this](const httplib::Request&, httplib::Response& res, const TWebSession& s) { ClassPage(res, s); }));
        h.Get("/app.js", View([](const httplib::Request&, httplib::Response& res, const TWebSession&) {
                  Secure(res, "none");
                  res.set_content(kScript, "text/javascript; charset=utf-8");
              }));
        h.Get("/class.json", [this](const httplib::Request& req, httplib::Response& res) {
            if (!SessionOf(req)) return Plain(res, 401, "Sign in first.");
            classroom.WatchScreens();
            Secure(res, "none");
            res.set_content(Json(), "application/json");
        });
        h.Get(R"(/screen/(\d{1,6})\.png)", [this](const httplib::Request& req, httplib::Response& res) {
            if (!SessionOf(req)) return Plain(res, 401, "Sign in first.");
            Picture(req, res, std::stoi(req.matches[1]));
        });
        h.Get(R"(/pupil/(\d{1,6}))", View([this](const httplib::Request& req, httplib::Response& res, const TWebSession& s) {
                  PupilPage(res, s, std::stoi(req.matches[1]));
              }));
        h.Get("/quiz", View([this](const httplib::Request& req, httplib::Response& res, const TWebSession& s) {
                  QuizPage(req, res, s);
              }));
        h.Post("/quiz/start", Change([this](const httplib::Request& req, httplib::Response& res, const TWebSession&) {
                   int activity = IntParam(req, "activity", 260, 286);
                   int n = classroom.Send(0, Command::QUIZ_START, activity, IntParam(req, "value", 0, 2147483647));
                   SeeOther(res, "/quiz?what=Quiz+start&sent=" + Num(n));
               }));
        h.Post("/quiz/stop", Change([this](const httplib::Request&, httplib::Response& res, const TWebSession&) {
                   SeeOther(res, "/quiz?what=Quiz+stop&sent=" + Num(classroom.Send(0, Command::QUIZ_STOP)));
               }));
        h.Post("/quiz/options", Change([this](const httplib::Request& req, httplib::Response& res, const TWebSession&) {
                   int v = 256 * IntParam(req, "start", 0, 255) + IntParam(req, "switch", 0, 255);
                   SeeOther(res, "/quiz?what=Quiz+sizes&sent=" + Num(classroom.Send(0, Command::QUIZ_OPT, 0, v)));
               }));
        h.Get("/results", View([this](const httplib::Request&, httplib::Response& res, const TWebSession& s) {
                  ResultsPage(res, s);
              }));
        h.Get("/results.csv", [this](const httplib::Request& req, httplib::Response& res) {
            if (!SessionOf(req)) return Plain(res, 401, "Sign in first.");
            Secure(res, "none");
            res.set_header("Content-Disposition", "attachment; filename=\"class-scores.csv\"");
            res.set_content(ScoresCsv(classroom.Status()), "text/csv; charset=utf-8");
        });
        h.Get("/roster", View([this](const httplib::Request& req, httplib::Response& res, const TWebSession& s) {
                  RosterPage(req, res, s);
              }));
        h.Post("/roster/add", Change([this](const httplib::Request& req, httplib::Response& res, const TWebSession&) {
                   int n = IntParam(req, "pupil", 1, 999999);
                   std::string name = req.get_param_value("student");
                   classroom.AddPupil(n, {name, req.get_param_value("target").empty() ? 0 : IntParam(req, "target", 0, 99)});
                   SeeOther(res, "/roster?done=" + UrlEncode("Added " + name + "."));
               }));
        h.Post("/roster/remove", Change([this](const httplib::Request& req, httplib::Response& res, const TWebSession&) {
                   int n = IntParam(req, "pupil", 1, 999999);
                   classroom.RemovePupil(n);
                   SeeOther(res, "/roster?done=" + UrlEncode("Removed pupil " + Num(n) + "."));
               }));
        h.Post("/enrol", Change([this](const httplib::Request& req, httplib::Response& res, const TWebSession& s) {
                   EnrolSheet(req, res, s);
               }));
        // Anything else: nothing without a session, and nothing more with one.
        h.set_error_handler([this](const httplib::Request& req, httplib::Response& res) {
            if (!res.body.empty()) return;
            int status = res.status == 404 && !SessionOf(req) ? 401 : res.status;
            Plain(res, status, status == 404 ? "Not found." : status == 401 ? "Sign in first." : "Refused.");
        });
    }
};

TTeacherWeb::TTeacherWeb(TClassroomServer& classroom, TTeacherWebOptions options)
    : impl_(std::make_unique<Impl>(classroom, std::move(options))) {}

TTeacherWeb::~TTeacherWeb() {
    Stop();
}

void TTeacherWeb::Start() {
    Impl& m = *impl_;
    auto [host, port] = SplitAddress(m.options.address);
    m.tls = !m.options.certFile.empty() && !m.options.keyFile.empty();
    if (!m.tls && !IsLoopbackHost(host))
        throw std::invalid_argument("the teacher's page is served only on this computer (127.0.0.1) unless "
                                    "--cert and --key give it HTTPS, not on " + m.options.address);
    if (m.options.teacherToken.empty()) throw std::invalid_argument("the teacher's page needs a teacher's token");
    if (m.tls) {
        auto ssl = std::make_unique<httplib::SSLServer>(m.options.certFile.c_str(), m.options.keyFile.c_str());
        if (!ssl->is_valid()) throw std::runtime_error("Cannot use " + m.options.certFile + " and " + m.options.keyFile + " for HTTPS");
        m.http = std::move(ssl);
    } else {
        m.http = std::make_unique<httplib::Server>();
    }
    int threads = std::max(2, m.options.threads);
    m.http->new_task_queue = [threads] { return new httplib::ThreadPool(size_t(threads)); };
    m.http->set_payload_max_length(kMaxBody);
    m.http->set_read_timeout(5);
    m.http->set_write_timeout(5);
    m.http->set_keep_alive_timeout(5);
    m.http->set_keep_alive_max_count(1000);
    m.Routes();
    m.host = host;
    if (port == 0)
        m.port = m.http->bind_to_any_port(host);
    else
        m.port = m.http->bind_to_port(host, port) ? port : -1;
    if (m.port <= 0) throw std::runtime_error("Cannot listen on " + m.options.address + " for the teacher's page");
    m.thread = std::thread([&m] { m.http->listen_after_bind(); });
}

void TTeacherWeb::Stop() {
    if (!impl_ || !impl_->http) return;
    impl_->http->stop();
    if (impl_->thread.joinable()) impl_->thread.join();
}

std::string TTeacherWeb::url() const {
    return impl_->url();
}

} // namespace parlora::classroom
