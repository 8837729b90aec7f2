// The receipt handed to the customer when a device is left at the counter:
// the business, the ticket (as text and as a QR code), the customer, the
// device, its accessories and condition, the promised date, the shop's terms
// and the customer's agreement and signature.
#pragma once

#include <QDate>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPaintDevice;
class QTextDocument;

struct IntakeReceiptFields {
    // The business, from the settings.
    QString companyName, companyAddress;
    QStringList phones;
    QString webSite;
    // The ticket.
    QString ticketNumber;
    QDate date;
    QString customerName;
    QStringList customerAddressLines;
    QStringList customerPhones;
    QString customerEmail;
    QString deviceKind, deviceMakeModel, deviceSerial;
    QString accessories;
    QString condition;
    // Null when no date was promised.
    QDate promisedBy;
    QString terms;
    bool termsAgreed = false;
};

// The name under which BuildIntakeReceipt adds the ticket's QR code image.
extern const char* const IntakeReceiptQrCodeUrl;

// The document's HTML (every field escaped, line breaks kept); the QR code is
// referred to and left out when the ticket number cannot be encoded.
QString IntakeReceiptHtml(const IntakeReceiptFields& fields);
// Fills document with the receipt, its QR code image included, laid out for
// device (the printer) on pages of pageSize (the device's pixels), in a font
// small enough for one page where that can be read.
void BuildIntakeReceipt(const IntakeReceiptFields& fields, QPaintDevice* device, const QSizeF& pageSize,
                        QTextDocument& document);
