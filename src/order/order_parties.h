#pragma once
// The three parties of an order: the orderer (the user's own unit, table bookstore), the
// consignee and the payer (remembered in decltrla between runs of order making), plus the
// shipping requirements that travel with them into every order header.
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <span>

struct OrderParties {
    // Orderer: the unit record's number, name, contact and telephone; the clerk is not kept.
    QString ordererNo, ordererName, ordererContact, ordererTel, ordererClerk;
    // Consignee.
    QString consigneeNo, consigneeName, consigneeContact, consigneeTel, consigneeZip,
        consigneeAddress, consigneeAddress2;
    // Payer.
    QString payerNo, payerName, payerContact, payerTel;
    // Shipping requirements; nothing fills them today, so orders carry them empty. The
    // requested shipping date is not here: order making sets it from the day it runs.
    QString settlement, payment, shippingMethod, station, remarks;

    bool operator==(const OrderParties &) const = default;
};

// One party field as the wizard edits it: its edit on page 2 (named edit; its read-only copy
// on page 3, where there is one, is named edit + "_Ok"), the name it goes by for screen readers and in messages,
// the order column's width in characters, and the member of OrderParties it fills.
struct PartyField {
    const char *edit;
    const char *label;
    int width;
    QString OrderParties::*member;
    const char *missing;   // the message when it is required and empty; nullptr: optional
    bool shown;            // page 2 shows the edit (the others are kept but hidden)
};

// Every field of OrderParties but the remarks (a text of its own, at most 120 characters), in
// the order of the edits: orderer, consignee, payer, shipping requirements. The required ones
// are checked in this order.
std::span<const PartyField> PartyFields();
const PartyField *PartyFieldOf(const QString &edit);

// The parties' texts keyed by edit name, and the parties from such texts (a missing or null
// text is empty) with the remarks given.
QHash<QString, QString> PartyTexts(const OrderParties &parties);
OrderParties PartiesFromTexts(const QHash<QString, QString> &texts, const QString &remarks);

// The parties offered when the wizard first needs them. The orderer comes from the unit
// record (all empty without one). The consignee is the first default consignee in use
// (cls 'SHR', state 'N', def 'Y'); without one it is number "1" with the orderer's name,
// contact and telephone and the unit's postcode and address. The payer likewise ('FKR'),
// falling back to number "1" and the orderer's name, contact and telephone.
// Throws AppError when a statement fails.
OrderParties LoadDefaultParties(const QSqlDatabase &db);

// The message for the first required field that is empty, in the order the wizard checks
// them, or an empty text when all are filled. Blanks count as content.
QString MissingPartyMessage(const OrderParties &parties);
// The field of that message, or nullptr.
const PartyField *MissingPartyField(const OrderParties &parties);

// The message for the first filled field whose form is wrong (the consignee's postcode: six
// digits), naming the field, or an empty text.
QString MalformedPartyMessage(const OrderParties &parties);

// The parties as they go into orders and into the remembered defaults: the consignee and the
// payer keep their numbers (as read from decltrla); an empty number becomes "1".
OrderParties PartiesForOrder(OrderParties parties);

// Rewrites the unit record's name, contact and telephone from the orderer and replaces the
// remembered default consignee and payer (cls 'SHR' / 'FKR', def 'Y', state 'N') by the ones
// given, all in one transaction; every other row of decltrla stays. On any failure the earlier
// unit record and parties stay and AppError is thrown.
void SaveDefaultParties(const QSqlDatabase &db, const OrderParties &parties);
