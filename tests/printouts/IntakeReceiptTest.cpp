#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "dialogs/IntakeReceipt.h"
#include "tests/printouts/Decoding.h"

namespace {

IntakeReceiptFields Fields()
{
    IntakeReceiptFields fields;
    fields.companyName = QStringLiteral("Velmora Computer Service");
    fields.companyAddress = QStringLiteral("12 Harbour Street\nSpringfield");
    fields.phones = QStringList{QStringLiteral("555-0100")};
    fields.ticketNumber = QStringLiteral("10482");
    fields.date = QDate(2026, 4, 14);
    fields.customerName = QStringLiteral("Dana Okafor");
    fields.customerAddressLines = QStringList{QStringLiteral("4 Elm Road"), QStringLiteral("Shelbyville")};
    fields.customerPhones = QStringList{QStringLiteral("555-0199")};
    fields.deviceKind = QStringLiteral("Laptop");
    fields.deviceMakeModel = QStringLiteral("Lenovo T480");
    fields.deviceSerial = QStringLiteral("PF1ABC23");
    fields.accessories = QStringLiteral("Charger");
    fields.condition = QStringLiteral("Scratched lid");
    fields.terms = QStringLiteral("Devices not collected within 90 days may be disposed of.");
    return fields;
}

// A4 at 150 dpi, as a printer would lay it out.
QImage Page()
{
    QImage page(1240, 1754, QImage::Format_RGB32);
    page.setDotsPerMeterX(5906);
    page.setDotsPerMeterY(5906);
    page.fill(Qt::white);
    return page;
}

QString PlainText(const IntakeReceiptFields& fields)
{
    QTextDocument document;
    document.setHtml(IntakeReceiptHtml(fields));
    return document.toPlainText();
}

}  // namespace

TEST(IntakeReceiptTest, FieldsShowAsTypedWithTheirLineBreaks)
{
    IntakeReceiptFields fields = Fields();
    fields.customerName = QStringLiteral("<b>Smith & Sons</b>");
    fields.condition = QStringLiteral("Scratched lid\nCracked hinge");
    const QString html = IntakeReceiptHtml(fields);
    EXPECT_FALSE(html.contains(QLatin1String("<b>Smith")));
    QString text = PlainText(fields);
    EXPECT_TRUE(text.contains(QLatin1String("<b>Smith & Sons</b>"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("Scratched lid") + QLatin1Char('\n') + QLatin1String("Cracked hinge")));
    EXPECT_TRUE(text.contains(QLatin1String("4 Elm Road") + QLatin1Char('\n') + QLatin1String("Shelbyville")));
    EXPECT_TRUE(text.contains(QChar(0x2610) + QLatin1String(" I agree to the terms above")));
    EXPECT_FALSE(text.contains(QChar(0x2611)));

    fields.termsAgreed = true;
    fields.promisedBy = QDate(2026, 4, 21);
    text = PlainText(fields);
    EXPECT_TRUE(text.contains(QChar(0x2611) + QLatin1String(" I agree to the terms above")));
    EXPECT_FALSE(text.contains(QChar(0x2610)));
    EXPECT_TRUE(text.contains(QLocale().toString(fields.promisedBy, QLocale::ShortFormat)));
}

TEST(IntakeReceiptTest, PrintedPageReadsBackTheTicket)
{
    TestSupport::TempDir dir;
    QImage page = Page();
    QTextDocument document;
    BuildIntakeReceipt(Fields(), &page, page.size(), document);
    EXPECT_EQ(document.pageCount(), 1);
    {
        QPainter painter(&page);
        document.drawContents(&painter, QRectF(QPointF(0, 0), page.size()));
    }
    EXPECT_EQ(Decoding::QrCodes(page, dir, "receipt.png"), "10482");
}

TEST(IntakeReceiptTest, LongConditionIsSetSmallerToFitOnePage)
{
    IntakeReceiptFields fields = Fields();
    for (int i = 1; i <= 60; ++i)
        fields.condition += QString("Dent %1 on the lower case, a deep scratch beside it and a loose screw. ").arg(i);
    QImage page = Page();

    QTextDocument atTenPoints;
    atTenPoints.documentLayout()->setPaintDevice(&page);
    QFont font = atTenPoints.defaultFont();
    font.setPointSize(10);
    atTenPoints.setDefaultFont(font);
    atTenPoints.setHtml(IntakeReceiptHtml(fields));
    atTenPoints.setPageSize(page.size());
    ASSERT_GT(atTenPoints.pageCount(), 1);

    QTextDocument document;
    BuildIntakeReceipt(fields, &page, page.size(), document);
    EXPECT_EQ(document.pageCount(), 1);
    EXPECT_GE(document.defaultFont().pointSize(), 6);
    EXPECT_LT(document.defaultFont().pointSize(), 10);
}
