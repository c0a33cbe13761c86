// The engine against the C library's regcomp/regexec on generated patterns
// and subjects. Whether a match exists and its span must agree always. Group
// offsets must agree too, except where the C library departs from the POSIX
// rules; who is right is decided by the brute-force reference matcher.
#include <regex.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "regex/kr_regex_core.h"
#include "regex/posix_reference.h"

namespace {

class PatternGen {
public:
  explicit PatternGen(uint32_t seed) : rng_(seed) {}

  int pick(int n) { return int(rng_() % uint32_t(n)); }

  std::string pattern() { return alt(0); }

  std::string subject(bool icase, bool newline) {
    std::string s;
    int len = pick(8);
    for (int i = 0; i < len; ++i) {
      int r = pick(20);
      if (newline && r == 0) s += '\n';
      else if (icase && r < 4) s += char('A' + pick(3));
      else if (r > 17) s += 'c';
      else s += "ab"[pick(2)];
    }
    return s;
  }

private:
  std::mt19937 rng_;

  // Generated pieces carry how deeply repetitions nest inside them: the C
  // library can loop for ever on three levels of repeated groups, so two is
  // the most generated; for the same reason no empty group "()" is generated
  // (the curated cases have them).
  struct Piece {
    std::string text;
    int nest = 0;
  };

  std::string alt(int depth) { return alt_piece(depth).text; }

  Piece alt_piece(int depth) {
    Piece s = concat(depth);
    while (pick(5) == 0) {
      Piece b = concat(depth);
      s.text += "|" + b.text;
      s.nest = std::max(s.nest, b.nest);
    }
    return s;
  }
  Piece concat(int depth) {
    Piece s;
    int n = 1 + pick(3);
    for (int i = 0; i < n; ++i) {
      Piece r = repeat(depth);
      s.text += r.text;
      s.nest = std::max(s.nest, r.nest);
    }
    return s;
  }
  Piece repeat(int depth) {
    Piece a = atom(depth);
    if (a.text == "^" || a.text == "$" || a.nest >= 2) return a;
    static const char *const kOps[] = {"*", "+", "?", "{0,1}", "{1,2}", "{2}", "{0,}", "{1,}", "{0,2}"};
    if (pick(5) < 2) {
      a.text += kOps[pick(9)];
      ++a.nest;
    }
    return a;
  }
  Piece atom(int depth) {
    int r = pick(22);
    if (r < 9) return {std::string(1, "aab"[pick(3)])};
    if (r < 10) return {"c"};
    if (r < 11) return {"."};
    if (r < 12) return {std::vector<std::string>{"[ab]", "[^a]", "[a-c]", "[[:alpha:]]"}[size_t(pick(4))]};
    if (r < 13) return {pick(2) ? "^" : "$"};
    if (depth < 3) {
      Piece inner = alt_piece(depth + 1);
      return {"(" + inner.text + ")", inner.nest};
    }
    return {"a"};
  }
};

struct Outcome {
  int rc = 0;
  std::vector<int> off;
};

Outcome run_kr(const kr_regex_t &re, const std::string &s, size_t groups, int eflags) {
  std::vector<kr_regmatch_t> m(groups + 1);
  Outcome o;
  o.rc = kr_regexec(&re, s.c_str(), m.size(), m.data(), eflags);
  if (o.rc == 0)
    for (auto &x : m) {
      o.off.push_back(x.rm_so);
      o.off.push_back(x.rm_eo);
    }
  return o;
}

std::string show(const std::vector<int> &v) {
  std::string s;
  for (size_t i = 0; i + 1 < v.size(); i += 2)
    s += "(" + std::to_string(v[i]) + "," + std::to_string(v[i + 1]) + ")";
  return s;
}

std::string escape(const std::string &s) {
  std::string o;
  for (char c : s) o += c == '\n' ? std::string("\\n") : std::string(1, c);
  return o;
}

// The C library numbers REG_NEWLINE and REG_NOSUB the other way round.
int glibc_flags(int kr) {
  int f = 0;
  if (kr & KR_REG_EXTENDED) f |= REG_EXTENDED;
  if (kr & KR_REG_ICASE) f |= REG_ICASE;
  if (kr & KR_REG_NOSUB) f |= REG_NOSUB;
  if (kr & KR_REG_NEWLINE) f |= REG_NEWLINE;
  return f;
}

uint32_t seed_from_env() {
  const char *s = std::getenv("KR_REGEX_SEED");
  return s ? uint32_t(std::strtoul(s, nullptr, 10)) : 20240601u;
}

struct Case {
  std::string pattern;
  int flags = 0;
  std::vector<std::string> subjects;
  std::vector<int> eflags;
};

// The C library's answers for one case: compile result, group count, and
// per subject the exec result followed by the offsets.
struct GlibcAnswer {
  bool hung = false;
  int compile_rc = 0;
  size_t nsub = 0;
  std::vector<Outcome> outcomes;
};

std::vector<int32_t> glibc_run_case(const Case &c) {
  std::vector<int32_t> rec;
  regex_t g;
  int rc = regcomp(&g, c.pattern.c_str(), glibc_flags(c.flags));
  rec.push_back(rc);
  if (rc != 0) return rec;
  size_t groups = (c.flags & KR_REG_NOSUB) ? 0 : g.re_nsub;
  rec.push_back(int32_t(g.re_nsub));
  for (size_t i = 0; i < c.subjects.size(); ++i) {
    std::vector<regmatch_t> m(groups + 1);
    int r = regexec(&g, c.subjects[i].c_str(), m.size(), m.data(), c.eflags[i]);
    rec.push_back(r);
    for (auto &x : m) {
      rec.push_back(r == 0 ? int32_t(x.rm_so) : -1);
      rec.push_back(r == 0 ? int32_t(x.rm_eo) : -1);
    }
  }
  regfree(&g);
  return rec;
}

bool read_exact(int fd, void *buf, size_t len, int timeout_ms) {
  char *p = static_cast<char *>(buf);
  while (len > 0) {
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, timeout_ms) <= 0) return false;
    ssize_t got = read(fd, p, len);
    if (got <= 0) return false;
    p += got;
    len -= size_t(got);
  }
  return true;
}

// The C library loops for ever on some patterns with repeated empty-matching
// groups, so it runs in a child process that is killed when it stops
// answering; the case it hung on is counted and left out.
std::vector<GlibcAnswer> glibc_answers(const std::vector<Case> &cases) {
  std::vector<GlibcAnswer> out(cases.size());
  size_t next = 0;
  while (next < cases.size()) {
    int fds[2];
    if (pipe(fds) != 0) return out;
    pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      for (size_t i = next; i < cases.size(); ++i) {
        std::vector<int32_t> rec = glibc_run_case(cases[i]);
        uint32_t len = uint32_t(rec.size());
        if (write(fds[1], &len, sizeof len) < 0 ||
            write(fds[1], rec.data(), rec.size() * sizeof(int32_t)) < 0)
          _exit(1);
      }
      _exit(0);
    }
    close(fds[1]);
    for (; next < cases.size(); ++next) {
      uint32_t len = 0;
      std::vector<int32_t> rec;
      bool ok = read_exact(fds[0], &len, sizeof len, 1000);
      if (ok) {
        rec.resize(len);
        ok = read_exact(fds[0], rec.data(), len * sizeof(int32_t), 1000);
      }
      if (!ok) {
        out[next++].hung = true;
        kill(pid, SIGKILL);
        break;
      }
      GlibcAnswer &a = out[next];
      a.compile_rc = rec[0];
      if (a.compile_rc != 0) continue;
      a.nsub = size_t(rec[1]);
      size_t groups = (cases[next].flags & KR_REG_NOSUB) ? 0 : a.nsub;
      size_t at = 2;
      for (size_t i = 0; i < cases[next].subjects.size(); ++i) {
        Outcome o;
        o.rc = rec[at++];
        for (size_t k = 0; k < 2 * (groups + 1); ++k) {
          if (o.rc == 0) o.off.push_back(rec[at]);
          ++at;
        }
        a.outcomes.push_back(o);
      }
    }
    close(fds[0]);
    waitpid(pid, nullptr, 0);
  }
  return out;
}

TEST(RegexDifferential, GeneratedPatternsAgreeWithCLibrary) {
  PatternGen gen(seed_from_env());
  long pairs = 0, group_checks = 0, glibc_departures = 0, reference_checks = 0,
       glibc_faults = 0, glibc_hangs = 0;
  std::vector<std::string> failures;
  auto t0 = std::chrono::steady_clock::now();
  while (pairs < 120000 && failures.size() < 10) {
    std::vector<Case> batch;
    while (batch.size() < 2000) {
      Case c;
      c.pattern = gen.pattern();
      if (c.pattern.size() > 48) continue;
      c.flags = KR_REG_EXTENDED;
      int r = gen.pick(20);
      if (r < 3) c.flags |= KR_REG_ICASE;
      else if (r < 6) c.flags |= KR_REG_NEWLINE;
      else if (r < 7) c.flags |= KR_REG_NOSUB;
      for (int i = 0; i < 12; ++i) {
        c.subjects.push_back(gen.subject(c.flags & KR_REG_ICASE, c.flags & KR_REG_NEWLINE));
        c.eflags.push_back(gen.pick(10) == 0 ? 1 + gen.pick(3) : 0);
      }
      batch.push_back(std::move(c));
    }
    std::vector<GlibcAnswer> answers = glibc_answers(batch);
    for (size_t ci = 0; ci < batch.size() && failures.size() < 10; ++ci) {
      const Case &c = batch[ci];
      const GlibcAnswer &ga = answers[ci];
      const std::string &p = c.pattern;
      int flags = c.flags;
      if (ga.hung) {
        ++glibc_hangs;
        continue;
      }
      kr_regex_t k;
      int kc = kr_regcomp(&k, p.c_str(), flags);
      if (ga.compile_rc != 0 || kc != 0) {
        if (ga.compile_rc != kc)
          failures.push_back("compile " + p + ": glibc " + std::to_string(ga.compile_rc) +
                             " kr " + std::to_string(kc));
        if (kc == 0) kr_regfree(&k);
        continue;
      }
      EXPECT_EQ(size_t(k.re_nsub), ga.nsub) << p;
      size_t groups = (flags & KR_REG_NOSUB) ? 0 : ga.nsub;
      for (size_t i = 0; i < c.subjects.size(); ++i, ++pairs) {
        const std::string &s = c.subjects[i];
        int eflags = c.eflags[i];
        const Outcome &go = ga.outcomes[i];
        Outcome ko = run_kr(k, s, groups, eflags);
        std::string where = "/" + p + "/ flags " + std::to_string(flags) + " eflags " +
                            std::to_string(eflags) + " on \"" + escape(s) + "\"";
        bool span_differs = go.rc != ko.rc ||
                            (go.rc == 0 && !(flags & KR_REG_NOSUB) &&
                             (go.off[0] != ko.off[0] || go.off[1] != ko.off[1]));
        if (span_differs) {
          // The C library has outright faults too (a match that skips a
          // required byte, '^' inside a repetition); the reference tells
          // them from ours.
          krx_test::ReferenceResult ref = krx_test::reference_match(p, flags, s, eflags);
          bool ours_right = ref.ok && ref.matched == (ko.rc == 0) &&
                            (ko.rc != 0 || (flags & KR_REG_NOSUB) || ref.offsets == ko.off);
          if (ours_right) ++glibc_faults;
          else
            failures.push_back(where + ": glibc rc " + std::to_string(go.rc) + " " + show(go.off) +
                               " kr rc " + std::to_string(ko.rc) + " " + show(ko.off) +
                               (ref.ok ? " reference " + show(ref.offsets) : std::string()));
          continue;
        }
        if (go.rc != 0 || (flags & KR_REG_NOSUB)) continue;
        ++group_checks;
        bool differ = go.off != ko.off;
        if (!differ && pairs % 16 != 0) continue;
        krx_test::ReferenceResult ref = krx_test::reference_match(p, flags, s, eflags);
        if (!ref.ok) continue;
        ++reference_checks;
        if (ref.offsets != ko.off) {
          failures.push_back(where + ": glibc " + show(go.off) + " kr " + show(ko.off) +
                             " reference " + show(ref.offsets));
        } else if (differ) {
          ++glibc_departures;
        }
      }
      kr_regfree(&k);
    }
  }
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("pairs %ld, group comparisons %ld, C library off POSIX %ld, C library wrong match %ld, "
              "C library hung %ld, reference checks %ld, %.2fs\n",
              pairs, group_checks, glibc_departures, glibc_faults, glibc_hangs, reference_checks, secs);
  for (const std::string &f : failures) ADD_FAILURE() << f;
  EXPECT_GE(pairs, 100000);
  // The C library follows POSIX in the great majority of cases; a large share
  // of departures would mean the reference and the engine share a mistake.
  EXPECT_LT(glibc_departures * 20, group_checks);
  EXPECT_LT(glibc_faults * 100, pairs);
}

// Where the C library's choice of error code is its own and ours is kept:
// a pattern ending in "[" or "[^" is an unmatched bracket (it says "invalid
// pattern"), and an interval holding other characters than digits and a comma
// is bad contents when a '}' follows anywhere (it sometimes says "unmatched").
bool known_code_difference(const std::string &p, int glibc, int ours) {
  bool bracket_at_end = (p.size() >= 1 && p.compare(p.size() - 1, 1, "[") == 0) ||
                        (p.size() >= 2 && p.compare(p.size() - 2, 2, "[^") == 0);
  if (glibc == REG_BADPAT && ours == KR_REG_EBRACK && bracket_at_end) return true;
  bool interval_codes = (glibc == REG_BADBR && ours == KR_REG_EBRACE) ||
                        (glibc == REG_EBRACE && ours == KR_REG_BADBR);
  return interval_codes;
}

// Random strings of pattern characters: both must agree on which compile and
// with what error; those that compile must agree on matching.
TEST(RegexDifferential, ErrorCodesAgreeWithCLibrary) {
  std::mt19937 rng(seed_from_env() + 1);
  const std::string alphabet = "ab()|*+?{},12[]^$-.:=\\";
  int compared = 0;
  std::vector<std::string> failures;
  for (int n = 0; n < 40000 && failures.size() < 10; ++n) {
    std::string p;
    int len = 1 + int(rng() % 8);
    for (int i = 0; i < len; ++i) p += alphabet[rng() % alphabet.size()];
    // Left out: the C library's escapes (\1 back-references and its own
    // letter escapes) and counts above 255, which it accepts.
    bool skip = false;
    for (size_t i = 0; i + 1 < p.size(); ++i)
      if (p[i] == '\\' && (isalnum((unsigned char)p[i + 1]))) skip = true;
    for (size_t i = 0; i + 2 < p.size(); ++i)
      if (isdigit((unsigned char)p[i]) && isdigit((unsigned char)p[i + 1]) && isdigit((unsigned char)p[i + 2]))
        skip = true;
    if (p.find("{\\") != std::string::npos) skip = true;  // it reads "{\," as literal text
    if (skip) continue;
    regex_t g;
    kr_regex_t k;
    int gc = regcomp(&g, p.c_str(), REG_EXTENDED);
    int kc = kr_regcomp(&k, p.c_str(), KR_REG_EXTENDED);
    ++compared;
    if (gc != kc && !known_code_difference(p, gc, kc)) failures.push_back("/" + p + "/: glibc " + std::to_string(gc) + " kr " + std::to_string(kc));
    if (gc == 0 && kc == 0) {
      for (const char *s : {"", "a", "ab", "(a)", "a{1}", "[]", "-:", "\\"}) {
        regmatch_t gm[1];
        kr_regmatch_t km[1];
        int gr = regexec(&g, s, 1, gm, 0);
        int kr = kr_regexec(&k, s, 1, km, 0);
        if (gr != kr || (gr == 0 && (gm[0].rm_so != km[0].rm_so || gm[0].rm_eo != km[0].rm_eo)))
          failures.push_back("/" + p + "/ on \"" + s + "\" differs");
      }
    }
    if (gc == 0) regfree(&g);
    if (kc == 0) kr_regfree(&k);
  }
  for (const std::string &f : failures) ADD_FAILURE() << f;
  EXPECT_GT(compared, 10000);
}

}  // namespace
