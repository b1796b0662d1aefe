// Shows the order query, the publisher browse, the search window and the settings window on a
// small catalogue with orders of a few suppliers, as the program would show them, on the
// platform the environment names (an X display with the accessibility bus for
// read_over_atspi.py). Accessible names are installed as the program installs them at start.
//
// It tells on standard output what a user sees, one line each, closed by "shown":
//   entry<TAB>list's name<TAB>its current entry   (every visible drop-down list)
//   total<TAB>caption<TAB>the value shown          (every label that shows a value)
// and reads commands on standard input: "change" picks the next browse mode and another order
// with other totals, then tells again; "quit" ends.
#include "sanitizer_defaults.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "app/accessible_names_gui.h"
#include "cart/cart.h"
#include "catalog/search_window.h"
#include "catalog/publisher_browse_window.h"
#include "data/demo_catalogue.h"
#include "data/sql_helper.h"
#include "widgets/value_label_widget.h"
#include "order/order_making.h"
#include "order/order_parties.h"
#include "order/mail_settings_dialog.h"
#include "order/order_query_window.h"

#include <QApplication>
#include <QComboBox>
#include <QSocketNotifier>
#include <QSqlQuery>
#include <cstdio>
#include <unistd.h>

namespace {

void tell(const QList<QWidget *> &windows)
{
    QString out;
    for (QWidget *w : windows) {
        for (QComboBox *c : w->findChildren<QComboBox *>())
            if (c->isVisible())
                out += QStringLiteral("entry\t%1\t%2\n").arg(c->accessibleName(), c->currentText());
        for (ValueLabel *l : w->findChildren<ValueLabel *>())
            if (l->isVisible())
                out += QStringLiteral("total\t%1\t%2\n").arg(l->caption(), l->text());
    }
    out += QStringLiteral("shown\n");
    std::fputs(out.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

// Orders from the catalogue's first titles, each with its own quantity, so that orders of
// different suppliers have different totals.
void makeOrders(const QSqlDatabase &db)
{
    QSqlQuery q = Sql::exec(db, QStringLiteral("select tm from debooks order by tm"));
    QStringList keys;
    QList<ConfirmedLine> confirmed;
    while (q.next() && keys.size() < 12) {
        keys << q.value(0).toString();
        confirmed.append({keys.last(), qint64(keys.size())});
    }
    QString list = keys.join(u',');
    AddToCart(list, db, QString());
    OrderParties p;
    p.ordererNo = QStringLiteral("B01");
    p.ordererName = QStringLiteral("第一书店");
    p.ordererContact = QStringLiteral("王一");
    p.ordererTel = QStringLiteral("010-1234");
    p.consigneeNo = p.payerNo = QStringLiteral("1");
    p.consigneeName = QStringLiteral("第一中学");
    p.consigneeAddress = QStringLiteral("东街 1 号");
    p.payerName = QStringLiteral("教育局");
    MakeOrders(db, QString(), p, confirmed);
}

// Moves the order query to the next order whose totals read otherwise.
bool nextOrderWithOtherTotals(TFrmSeh &orders)
{
    const auto shown = [&orders] {
        QStringList totals;
        for (ValueLabel *l : orders.findChildren<ValueLabel *>())
            totals << l->text();
        return totals;
    };
    const QStringList before = shown();
    DataSet &list = orders.orders();
    for (int step = 1; step < list.recordCount(); ++step) {
        list.setCurrentRow((list.currentRow() + 1) % list.recordCount());
        if (shown() != before)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zd-atspi-windows"));
    AccessibleNames::install();

    TempTree tree;
    tree.copyFromDist(QStringLiteral("bookimages"));
    tree.copyFromDist(QStringLiteral("html"));
    QSqlDatabase db = tree.createDatabase();
    DemoCatalogue::fill(db, 40);
    makeOrders(db);

    ScriptedPrompter prompter;
    TFrmMagN publishers(prompter, db);
    TFrmSeh orders(prompter, db);
    TFrmQuery search(prompter, db, TFrmQuery::Options{});
    publishers.setWindowTitle(QStringLiteral("版别浏览"));
    orders.setWindowTitle(QStringLiteral("订单查询"));
    search.setWindowTitle(QStringLiteral("检索书目"));
    // "设置" on files of its own: its drop-downs say how orders leave the program.
    TFrmSettings settings(prompter, {tree.path(QStringLiteral("init/mailadd.txt")), tree.path(QStringLiteral("init/mail.txt")),
                                     tree.path(QStringLiteral("bin/syscfg.dbm"))});
    settings.setWindowTitle(QStringLiteral("设置"));
    const QList<QWidget *> windows{&publishers, &orders, &search, &settings};
    for (QWidget *w : windows)
        w->show();

    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, &app, [&] {
        char line[64] = {};
        const ssize_t n = read(STDIN_FILENO, line, sizeof line - 1);
        const QByteArray command = QByteArray(line, int(qMax<ssize_t>(n, 0))).trimmed();
        if (command == "change") {
            auto *mode = publishers.findChild<QComboBox *>(QStringLiteral("CbxType"));
            mode->setCurrentIndex((mode->currentIndex() + 1) % mode->count());
            if (!nextOrderWithOtherTotals(orders))
                std::fputs("no order with other totals\n", stderr);
            tell(windows);
        } else {
            app.quit();
        }
    });
    tell(windows);
    const int code = app.exec();
    for (const ShownMessage &m : prompter.shown)
        std::fprintf(stderr, "message: %s\n", m.text.toUtf8().constData());
    return prompter.shown.isEmpty() ? code : 1;
}
