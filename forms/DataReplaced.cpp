// The notification that the data was replaced, with the main window's and Edit Recipe's reload of the
// restored data.
#include "forms/Common.h"

#include "forms/MAIN.h"
#include "forms/RecUnit.h"
#include "platform/Application.h"

#include <QPointer>

#include <utility>
#include <vector>

namespace {

struct TDataReplacedHandler {
    QPointer<QObject> Owner;
    std::function<void()> Handler;
};
std::vector<TDataReplacedHandler> DataReplacedHandlers;

void ForgetClosedWindows() {
    std::erase_if(DataReplacedHandlers, [](const TDataReplacedHandler& each) { return each.Owner.isNull(); });
}

void ReloadMainWindowAndRecipeDialog() {
    if (!Form1)
        return;
    if (MenuEnabled(*Form1->Materials1)) {
        Form1->Refresh2Click();
        // The recipe beside the component list shows what the restored data holds for its product.
        const int help = Form1->HelpContext;
        Form1->StringGrid1DblClick();
        Form1->HelpContext = help;
    } else {
        Form1->Refresh1Click();
    }
    if (Rec)
        Rec->FormCreate();
}

} // namespace

void OnDataReplaced(QObject& owner, std::function<void()> handler) {
    ForgetClosedWindows();
    DataReplacedHandlers.push_back({&owner, std::move(handler)});
}

void NotifyDataReplaced() {
    Guarded(ReloadMainWindowAndRecipeDialog);
    ForgetClosedWindows();
    // A handler may register another window; the ones registered now are told.
    const std::vector<TDataReplacedHandler> handlers = DataReplacedHandlers;
    for (const TDataReplacedHandler& each : handlers)
        if (each.Owner)
            Guarded(each.Handler);
}
