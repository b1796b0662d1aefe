#include "order/dispatch_run.h"

#include "common/app_error.h"
#include "order/dispatch_log.h"

#include <QDir>
#include <QSet>
#include <QTimer>

#include <algorithm>

#include <utility>

namespace {

constexpr int NamedInQuestion = 10;

QString scopeWord(DispatchRun::Scope scope)
{
    return scope == DispatchRun::Scope::Batch ? QStringLiteral("本批") : QStringLiteral("列表中");
}

} // namespace

DispatchRun::DispatchRun(const QSqlDatabase &db, OrderDispatch::Options options, OrderSource source,
                         QObject *parent)
    : QObject(parent), m_db(db), m_source(source),
      m_dispatch(new OrderDispatch(db, std::move(options), this))
{
    connect(m_dispatch, &OrderDispatch::finished, this, &DispatchRun::concluded);
}

DispatchRun::~DispatchRun() = default;

QStringList DispatchRun::unsentOf(const QSqlDatabase &db, const QStringList &orders)
{
    const QStringList done = DispatchLog::handedOver(db, orders);
    const QSet<QString> succeeded(done.cbegin(), done.cend());
    QStringList out;
    for (const QString &order : orders)
        if (!succeeded.contains(order))
            out << order;
    return out;
}

QString DispatchRun::question(Scope scope, const QStringList &unsent)
{
    QString named = unsent.mid(0, NamedInQuestion).join(QStringLiteral("、"));
    if (unsent.size() > NamedInQuestion)
        named += QStringLiteral(" 等");
    return QStringLiteral("发送%1 %2 张未发送的订单？每张订单一封邮件。\n订单：%3")
        .arg(scopeWord(scope))
        .arg(unsent.size())
        .arg(named);
}

QString DispatchRun::noneUnsentText(Scope scope)
{
    return QStringLiteral("%1没有未发送的订单。").arg(scopeWord(scope));
}

QString DispatchRun::cancelledText()
{
    return QStringLiteral("未发送（已取消）");
}

QString DispatchRun::resultText(const DispatchOutcome &outcome)
{
    // A failure's first line is the clerk's reason; the launcher's own words after it stay in
    // the dispatch log.
    if (!outcome.handedOver) {
        QString why = outcome.failure;
        if (why.isEmpty())
            why = outcome.message.startsWith(OrderDispatch::failedFirstLine() + u'\n')
                      ? outcome.message.section(u'\n', 1)
                      : outcome.message;
        return QStringLiteral("发送失败：") + why.section(u'\n', 0, 0).simplified();
    }
    // "订单 N 已交给邮件程序（收件人 …）。" -> "已交给邮件程序（收件人 …）"
    QString gist = outcome.message.section(u'\n', 0, 0);
    const QString prefix = QStringLiteral("订单 %1 ").arg(outcome.order);
    if (gist.startsWith(prefix))
        gist.remove(0, prefix.size());
    if (gist.endsWith(u'。'))
        gist.chop(1);
    if (outcome.attachmentMayBeMissing)
        gist += QStringLiteral("；邮件程序可能没有附上订单文件，请查看邮件，必要时手工附加 %1")
                    .arg(QDir::toNativeSeparators(outcome.spoolFolder + u'/' + outcome.attachmentName));
    if (!outcome.logError.isEmpty())
        gist += QStringLiteral("（发送记录没有写入数据库：%1）").arg(outcome.logError);
    return gist;
}

bool DispatchRun::start(const QStringList &orders, std::unique_ptr<Progress> progress)
{
    if (m_running || orders.isEmpty())
        return false;
    m_items.clear();
    for (const QString &order : orders)
        m_items.append({order, {}, Result::Cancelled, cancelledText()});
    m_progress = progress ? std::move(progress) : std::make_unique<Progress>();
    m_progress->setCancellable(true);
    m_next = 0;
    m_running = true;
    QTimer::singleShot(0, this, &DispatchRun::sendNext);
    return true;
}

void DispatchRun::sendNext()
{
    while (m_next < m_items.size()) {
        Item &item = m_items[m_next];
        m_progress->start(QStringLiteral("正在发送订单 %1 …").arg(item.order), m_items.size());
        if (!m_progress->advance(m_next))
            break;   // cancelled: the rest keep their "cancelled" result
        try {
            const OrderDocument document = OrderDocument::load(m_db, item.order);
            item.supplier = document.header.xsfm;
            if (m_dispatch->start(document, m_source))
                return;   // concluded() goes on
            throw AppError(QStringLiteral("另一张订单正在发送"));
        } catch (const AppError &e) {
            item.result = Result::Failed;
            item.text = QStringLiteral("发送失败：") + e.text().simplified();
        }
        ++m_next;
    }
    finish();
}

void DispatchRun::concluded(const DispatchOutcome &outcome)
{
    if (!m_running || m_next >= m_items.size())
        return;
    Item &item = m_items[m_next];
    item.result = outcome.handedOver ? Result::Succeeded : Result::Failed;
    item.text = resultText(outcome);
    ++m_next;
    sendNext();
}

void DispatchRun::finish()
{
    // The orders not reached keep their "cancelled" result.
    m_progress.reset();
    m_running = false;
    emit finished();
}

int DispatchRun::count(Result result) const
{
    return int(std::count_if(m_items.cbegin(), m_items.cend(),
                             [result](const Item &item) { return item.result == result; }));
}

QString DispatchRun::countsText() const
{
    QString text = QStringLiteral("共 %1 张订单：成功 %2 张").arg(m_items.size()).arg(count(Result::Succeeded));
    if (const int failed = count(Result::Failed))
        text += QStringLiteral("，失败 %1 张").arg(failed);
    if (const int cancelled = count(Result::Cancelled))
        text += QStringLiteral("，已取消 %1 张").arg(cancelled);
    return text + u'。';
}
