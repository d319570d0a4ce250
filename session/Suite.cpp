#include "session/Suite.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace session {

namespace {

namespace fs = std::filesystem;

struct Entry {
    Entry(fs::path p) : path(std::move(p)), name(path.filename().string()) {}
    fs::path path;
    std::string name;  // as the summary shows it
    Prepared prepared;
    // What became of it.
    enum class Verdict { Pass, Fail, Error, NotRun } verdict = Verdict::NotRun;
    std::string why;  // a failure's or an error's first line
    std::string transcript;
    int presses = 0;
    double seconds = 0;
};

std::string ReadFile(const fs::path& path, bool& ok) {
    std::ifstream file(path, std::ios::binary);
    ok = static_cast<bool>(file);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The lines a golden transcript compares: all but the handle's value, which another process
// or another run gets otherwise.
std::vector<std::string> Compared(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("# lblHandle: ", 0) != 0) lines.push_back(line);
    }
    return lines;
}

// The scripts the paths name, or false after saying which path is wrong.
bool Collect(const std::vector<std::string>& paths, std::vector<Entry>& entries, std::ostream& err) {
    for (const std::string& p : paths) {
        // Absolute now: the window makes the system's drive current, as the program does.
        std::error_code ec;
        const fs::path path = fs::absolute(p, ec);
        if (!fs::is_directory(path, ec)) {
            entries.emplace_back(ec ? fs::path(p) : path);
            continue;
        }
        std::vector<fs::path> found;
        for (const auto& e : fs::directory_iterator(path, ec))
            if (e.path().extension() == ".hbs" && !e.is_directory(ec)) found.push_back(e.path());
        if (ec || found.empty()) {
            err << "hbrun: no *.hbs scripts in " << p << '\n';
            return false;
        }
        std::sort(found.begin(), found.end());
        for (const fs::path& f : found) entries.emplace_back(f);
    }
    return true;
}

std::string Seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", s);
    return text;
}

std::string SummaryLine(const Entry& e) {
    switch (e.verdict) {
        case Entry::Verdict::Pass:
            return "PASS  " + e.name + "  (" + std::to_string(e.presses) +
                   (e.presses == 1 ? " press, " : " presses, ") + Seconds(e.seconds) + " s)";
        case Entry::Verdict::Fail:
            return "FAIL  " + e.name + "  " + e.why;
        case Entry::Verdict::Error:
            return "ERROR " + e.name + "  " + e.why;
        case Entry::Verdict::NotRun:
            break;
    }
    return "SKIP  " + e.name + "  " + e.why;
}

void WriteJUnit(std::ostream& xml, const std::vector<Entry>& entries, double seconds) {
    const auto count = [&](Entry::Verdict v) {
        return std::count_if(entries.begin(), entries.end(),
                             [v](const Entry& e) { return e.verdict == v; });
    };
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<testsuite name=\"hbrun\" tests=\"" << entries.size() << "\" failures=\""
        << count(Entry::Verdict::Fail) << "\" errors=\"" << count(Entry::Verdict::Error)
        << "\" skipped=\"" << count(Entry::Verdict::NotRun) << "\" time=\"" << Seconds(seconds)
        << "\">\n";
    for (const Entry& e : entries) {
        xml << "  <testcase classname=\"hbrun\" name=\"" << XmlText(e.name) << "\" time=\""
            << Seconds(e.seconds) << "\">\n";
        const std::string why = XmlText(e.why);
        switch (e.verdict) {
            case Entry::Verdict::Fail:
                xml << "    <failure message=\"" << why << "\" type=\"failure\">" << why
                    << "</failure>\n";
                break;
            case Entry::Verdict::Error:
                xml << "    <error message=\"" << why << "\" type=\"script error\">" << why
                    << "</error>\n";
                break;
            case Entry::Verdict::NotRun:
                xml << "    <skipped message=\"" << why << "\"/>\n";
                break;
            case Entry::Verdict::Pass:
                break;
        }
        if (!e.transcript.empty())
            xml << "    <system-out>" << XmlText(e.transcript) << "</system-out>\n";
        xml << "  </testcase>\n";
    }
    xml << "</testsuite>\n";
}

// Runs one rehearsed script and judges it by its expects, or by its golden transcript; false
// when Ctrl+C stopped it.
bool RunOne(Entry& e, sys::Kernel& kernel, const RunOptions& options, const SuiteOptions& suite,
            std::ostream& out, std::ostream& err) {
    std::ostringstream transcript;
    const auto start = std::chrono::steady_clock::now();
    const Outcome o = Execute(e.prepared, kernel, options, transcript);
    e.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    e.presses = o.presses;
    e.transcript = transcript.str();
    out << e.transcript;
    e.verdict = o.status == kRunPassed ? Entry::Verdict::Pass : Entry::Verdict::Fail;
    const bool interrupted = o.status == kRunInterrupted;
    e.why = interrupted ? "interrupted (Ctrl+C)" : o.failure;
    if (!suite.golden && !suite.updateGolden) return !interrupted;

    // The golden form: the transcript, then the exit status the script alone would have.
    const std::string actual = e.transcript + "exit " + std::to_string(o.status) + "\n";
    fs::path golden = e.path;
    golden.replace_extension(".out");
    const std::string goldenName = golden.filename().string();
    bool found = false;
    const std::string wanted = ReadFile(golden, found);
    if (suite.updateGolden) {
        if (found && wanted == actual) return !interrupted;
        std::ofstream file(golden, std::ios::binary);
        file << actual;
        if (!file.flush()) {
            e.verdict = Entry::Verdict::Error;
            e.why = "cannot write " + goldenName;
        } else {
            err << "hbrun: wrote " << golden.string() << '\n';
        }
        return !interrupted;
    }
    if (interrupted) return false;
    if (!found) {
        e.verdict = Entry::Verdict::Fail;
        e.why = "no golden transcript " + goldenName;
        return true;
    }
    const std::string diff = UnifiedDiff(Compared(wanted), Compared(actual), goldenName,
                                         e.name + " (this run)");
    e.verdict = diff.empty() ? Entry::Verdict::Pass : Entry::Verdict::Fail;
    e.why = diff.empty() ? "" : "differs from " + goldenName;
    out << diff;
    return true;
}

}  // namespace

int RunSuite(const std::vector<std::string>& paths, sys::Kernel& kernel, const RunOptions& options,
             const SuiteOptions& suite, std::ostream& out, std::ostream& err) {
    std::vector<Entry> entries;
    if (!Collect(paths, entries, err)) return kRunScriptError;
    std::error_code ec;
    const fs::path junit = suite.junit.empty() ? fs::path() : fs::absolute(suite.junit, ec);

    // Every script is read and rehearsed before the first call of any.
    bool changes = false;
    for (Entry& e : entries) {
        bool read = false;
        const std::string text = ReadFile(e.path, read);
        if (read) {
            e.prepared = Prepare(text, options);
        } else {
            e.prepared.error = "cannot be read";
        }
        if (!e.prepared.error.empty()) {
            e.verdict = Entry::Verdict::Error;
            e.why = e.prepared.error;
        } else if (!e.prepared.changes.empty() && !options.allowChanges && !options.dryRun) {
            // The user's word holds for the suite: one changing script, and nothing runs.
            changes = true;
            e.verdict = Entry::Verdict::Error;
            e.why = e.prepared.changes;
        }
    }

    const auto start = std::chrono::steady_clock::now();
    bool interrupted = false;
    for (Entry& e : entries) {
        out << "# == " << e.name << '\n';
        if (e.verdict == Entry::Verdict::Error) {
            out << e.why << '\n';
        } else if (changes) {
            e.why = "not run: another script changes data or a device's state";
        } else if (interrupted) {
            e.why = "not run: interrupted (Ctrl+C)";
        } else if (options.dryRun) {
            out << e.prepared.listing;
            e.why = "not run: a dry run";
        } else {
            interrupted = !RunOne(e, kernel, options, suite, out, err);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    int passed = 0, failed = 0, errors = 0, notRun = 0;
    for (const Entry& e : entries) {
        out << SummaryLine(e) << '\n';
        passed += e.verdict == Entry::Verdict::Pass;
        failed += e.verdict == Entry::Verdict::Fail;
        errors += e.verdict == Entry::Verdict::Error;
        notRun += e.verdict == Entry::Verdict::NotRun;
    }
    out << entries.size() << (entries.size() == 1 ? " script: " : " scripts: ") << passed
        << " passed, " << failed << " failed, " << errors << (errors == 1 ? " error" : " errors");
    if (notRun) out << ", " << notRun << " not run";
    out << '\n';

    int status = interrupted ? kRunInterrupted
                 : errors    ? kRunScriptError
                 : failed    ? kRunExpectFailed
                             : kRunPassed;
    if (!suite.junit.empty()) {
        std::ofstream xml(junit, std::ios::binary);
        WriteJUnit(xml, entries, seconds);
        if (!xml.flush()) {
            err << "hbrun: cannot write " << suite.junit << '\n';
            if (status == kRunPassed || status == kRunExpectFailed) status = kRunScriptError;
        }
    }
    return status;
}

}  // namespace session
