#include "order/dispatch_notice_gui.h"

#include "common/prompter.h"
#include "order/order_dispatch.h"

#include <QDesktopServices>
#include <QUrl>

namespace DispatchNotice {

void tell(Prompter &prompter, const DispatchOutcome &outcome, bool confirmHandOver, const FolderOpener &openFolder)
{
    const QString caption = QStringLiteral("系统提示");
    if (!outcome.handedOver) {
        prompter.messageWithDetails(outcome.message, outcome.details, caption, MsgFlags::Error);
    } else if (outcome.attachmentMayBeMissing) {
        if (prompter.message(OrderDispatch::attachmentQuestion(outcome), caption, MsgFlags::YesNo)
            == MsgResult::Yes)
            (openFolder ? openFolder : openInFileManager)(outcome.spoolFolder);
    } else if (confirmHandOver) {
        prompter.message(outcome.message, caption, MsgFlags::Information);
    }
}

void openInFileManager(const QString &folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace DispatchNotice
