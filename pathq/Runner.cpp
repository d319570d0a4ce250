// The steps every path query shares: hourglass where the row asks for it, the text of
// cboFileName exactly as typed, exactly one call, the last error captured right after, and the
// row's success line or its failure line. hFile is never touched.
#include <optional>

#include "app/FrmMain.h"
#include "pathq/Queries.h"

namespace app {

void FrmMain::bindPathQueries() {
    // ctl() throws on a name the window does not have: a misspelt row fails at start-up.
    for (const pathq::Query& q : pathq::Queries())
        ctl(q.button).onClick = [this, &q] { RunPathQuery(q); };
}

void FrmMain::RunPathQuery(const pathq::Query& q) {
    std::optional<BusyPointer> busy;
    if (q.hourglass) busy.emplace(*this);
    // The box holds the system code page's bytes already: they go to the call unchanged.
    const std::string path = cboFileName.text();
    pathq::Answer answer;
    answer.result = q.call(k, path, answer);
    CaptureLastError();
    // A failed call shows none of its outputs: Wine leaves real figures in them.
    if (q.failurePrefix && !q.succeeded(answer))
        SetResult(q.failurePrefix + ErrorSuffix());
    else
        SetResult(q.successLine(answer));
}

}  // namespace app
