// The ticket's photos printed after the work order and the intake receipt,
// through the real window on a real data file, checked in the printed PDF.
#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QImage>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FileStore.h"
#include "tests/support/windows/ModalDriver.h"
#include "tests/support/windows/TicketWindow.h"

namespace {

constexpr int ToolSeconds = 60;

const QColor Red(220, 30, 30);
const QColor Green(30, 170, 30);
const QColor Blue(30, 30, 220);
const QColor Yellow(230, 210, 20);
const QColor Magenta(210, 30, 200);
const QColor Cyan(20, 200, 210);
const QColor Orange(240, 130, 10);

std::string Jpeg(const QSize& size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPEG", 95));
    return bytes.toStdString();
}

DBFrameWork::TicketFileRecord File(const std::string& name, const std::string& mediaType, const std::string& bytes)
{
    DBFrameWork::TicketFileRecord file;
    file.Name = name;
    file.MediaType = mediaType;
    file.Content = std::make_shared<const std::string>(bytes);
    return file;
}

// Stores the files with the ticket, in this order, and shows the ticket again.
void StoreFiles(TicketWindow& desk, int32_t id, const std::vector<DBFrameWork::TicketFileRecord>& files)
{
    DBFrameWork::TicketRecord ticket;
    ticket.Problem.ProblemID = id;
    ticket.Files = files;
    ASSERT_TRUE(DBFrameWork::SaveFiles(*desk.Connection(), ticket, "Dana", false));
    ASSERT_TRUE(desk.Form().OpenStoredProblem(id));
}

// Rows of TicketFile that the window's own attachment has read so far, as
// the engine counts them.
int64_t TicketFileReads(TicketWindow& desk)
{
    DBFrameWork::DBConnection* connection = desk.Connection();
    // A transaction of its own: the engine's figures are those of its start.
    connection->StartTransaction(false);
    IBPP::Statement statement = connection->GetStatement();
    statement->Prepare("SELECT COALESCE(SUM(r.MON$RECORD_IDX_READS + r.MON$RECORD_SEQ_READS), 0) "
                       "FROM MON$TABLE_STATS t JOIN MON$RECORD_STATS r ON r.MON$STAT_ID = t.MON$RECORD_STAT_ID "
                       "JOIN MON$ATTACHMENTS a ON a.MON$STAT_ID = t.MON$STAT_ID "
                       "WHERE a.MON$ATTACHMENT_ID = CURRENT_CONNECTION AND t.MON$TABLE_NAME = 'TICKETFILE'");
    statement->Execute();
    int64_t reads = -1;
    if (!statement->Fetch() || statement->Get(1, reads))
        reads = -1;
    statement->Close();
    statement.reset();
    connection->Commit();
    return reads;
}

void Print(TicketWindow& desk, const char* command, const std::string& pdf, bool photos)
{
    desk.fake.printAnswer = QString::fromStdString(pdf);
    desk.fake.printPhotosAnswer = photos;
    desk.Find<QAction>(command)->trigger();
    EXPECT_TRUE(desk.fake.errors.isEmpty()) << desk.fake.errors.join("\n").toStdString();
}

int Pages(const std::string& pdf)
{
    std::string info;
    EXPECT_EQ(TestSupport::RunCommand("pdfinfo '" + pdf + "' 2>&1", &info, ToolSeconds), 0) << info;
    const QRegularExpressionMatch match = QRegularExpression("^Pages:\\s+(\\d+)$", QRegularExpression::MultilineOption)
                                              .match(QString::fromStdString(info));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QImage Rendered(const std::string& pdf, int page)
{
    const std::string number = std::to_string(page);
    const std::string stem = pdf + "-page" + number;
    EXPECT_EQ(TestSupport::RunCommand("pdftoppm -r 100 -png -singlefile -f " + number + " -l " + number + " '" + pdf +
                                          "' '" + stem + "' 2>&1",
                                      nullptr, ToolSeconds),
              0);
    return QImage(QString::fromStdString(stem + ".png")).convertToFormat(QImage::Format_RGB32);
}

std::string Text(const std::string& pdf, int page)
{
    const std::string number = std::to_string(page);
    std::string text;
    EXPECT_EQ(
        TestSupport::RunCommand("pdftotext -f " + number + " -l " + number + " '" + pdf + "' -", &text, ToolSeconds),
        0);
    return text;
}

// Whether a patch of the colour, more than stray pixels, is on the page.
bool Shows(const QImage& page, const QColor& colour)
{
    int pixels = 0;
    for (int y = 0; y < page.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if (std::abs(qRed(line[x]) - colour.red()) < 30 && std::abs(qGreen(line[x]) - colour.green()) < 30 &&
                std::abs(qBlue(line[x]) - colour.blue()) < 30)
                ++pixels;
    }
    return pixels > 2000;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(PhotoPrint, TheTickedBoxAddsAPageOfPhotosAfterTheWorkOrderAndTheReceiptLeavingTheirPageAsItWas)
{
    TicketWindow desk;
    const int32_t id = desk.SaveTicket(TypedTicket());
    StoreFiles(desk, id,
               {File("front.jpg", "image/jpeg", Jpeg({640, 480}, Red)),
                File("invoice.txt", "text/plain", "Invoice 7, paid"),
                File("back.jpg", "IMAGE/JPEG", Jpeg({480, 640}, Blue))});
    const std::string ticket = std::to_string(id);

    for (const char* command : {"PrintFileMenu", "PrintIntakeReceiptFileMenu"}) {
        SCOPED_TRACE(command);
        const std::string plain = desk.Work().File(std::string(command) + " plain.pdf");
        const int64_t beforePlain = TicketFileReads(desk);
        Print(desk, command, plain, false);
        const int64_t plainReads = TicketFileReads(desk) - beforePlain;
        ASSERT_FALSE(desk.fake.printRequests.empty());
        EXPECT_TRUE(desk.fake.printRequests.back().offerPhotos);
        EXPECT_FALSE(desk.fake.printRequests.back().includePhotos) << "the box is unticked when the dialog opens";
        EXPECT_EQ(Pages(plain), 1);

        // Unticked, the print reads the list of files and not one photo.
        std::vector<DBFrameWork::TicketFileRecord> listed;
        const int64_t beforeList = TicketFileReads(desk);
        ASSERT_TRUE(DBFrameWork::LoadFiles(*desk.Connection(), id, listed));
        const int64_t listReads = TicketFileReads(desk) - beforeList;
        ASSERT_GT(listReads, 0) << "the engine counts the reads";
        EXPECT_EQ(plainReads, listReads);

        const std::string withPhotos = desk.Work().File(std::string(command) + " photos.pdf");
        const int64_t beforePhotos = TicketFileReads(desk);
        Print(desk, command, withPhotos, true);
        EXPECT_GE(TicketFileReads(desk) - beforePhotos, listReads + 2) << "both photos read";
        ASSERT_EQ(Pages(withPhotos), 2);

        const QImage first = Rendered(withPhotos, 1);
        EXPECT_TRUE(first == Rendered(plain, 1)) << "the first page is not the one printed without photos";
        EXPECT_FALSE(Shows(first, Red));
        const QImage photos = Rendered(withPhotos, 2);
        EXPECT_TRUE(Shows(photos, Red));
        EXPECT_TRUE(Shows(photos, Blue));
        const std::string text = Text(withPhotos, 2);
        EXPECT_TRUE(Contains(text, "Photos of ticket " + ticket)) << text;
        EXPECT_TRUE(Contains(text, "front.jpg")) << text;
        EXPECT_TRUE(Contains(text, "back.jpg")) << text;
        EXPECT_FALSE(Contains(text, "invoice.txt")) << "not a photo: " << text;
        EXPECT_FALSE(Contains(text, " of 2 photos")) << "both are on the page: " << text;
        EXPECT_FALSE(Contains(text, "could not be shown")) << text;
    }

    // The label has nothing to add.
    Print(desk, "PrintLabelFileMenu", desk.Work().File("label.pdf"), true);
    EXPECT_FALSE(desk.fake.printRequests.back().offerPhotos);
    EXPECT_EQ(Pages(desk.Work().File("label.pdf")), 1);
}

TEST(PhotoPrint, SevenPhotosPrintTheFirstSixAndSayWhatIsLeftOffOrCouldNotBeShown)
{
    TicketWindow desk;
    const int32_t id = desk.SaveTicket(TypedTicket());
    StoreFiles(
        desk, id,
        {File("1.jpg", "image/jpeg", Jpeg({600, 400}, Red)), File("2.jpg", "image/jpeg", Jpeg({400, 600}, Green)),
         File("3.jpg", "image/jpeg", "this was never a picture"), File("4.jpg", "image/jpeg", Jpeg({600, 400}, Blue)),
         File("5.jpg", "image/jpeg", Jpeg({600, 600}, Yellow)), File("6.jpg", "image/jpeg", Jpeg({900, 300}, Magenta)),
         File("7.jpg", "image/jpeg", Jpeg({600, 400}, Cyan))});

    const std::string pdf = desk.Work().File("work order.pdf");
    const int64_t before = TicketFileReads(desk);
    Print(desk, "PrintFileMenu", pdf, true);
    const int64_t photoReads = TicketFileReads(desk) - before;
    ASSERT_EQ(Pages(pdf), 2);
    const QImage page = Rendered(pdf, 2);
    for (const QColor& shown : {Red, Green, Blue, Yellow, Magenta})
        EXPECT_TRUE(Shows(page, shown)) << shown.name().toStdString();
    EXPECT_FALSE(Shows(page, Cyan)) << "the seventh photo is left off";
    const std::string text = Text(pdf, 2);
    EXPECT_TRUE(Contains(text, "Photos of ticket " + std::to_string(id) + " (6 of 7 photos)")) << text;
    EXPECT_TRUE(Contains(text, "1 photo could not be shown.")) << text;
    EXPECT_FALSE(Contains(text, "3.jpg")) << text;
    EXPECT_FALSE(Contains(text, "7.jpg")) << text;

    // Only the six chosen were read: the seventh costs no more than the list.
    std::vector<DBFrameWork::TicketFileRecord> listed;
    const int64_t beforeList = TicketFileReads(desk);
    ASSERT_TRUE(DBFrameWork::LoadFiles(*desk.Connection(), id, listed));
    const int64_t listReads = TicketFileReads(desk) - beforeList;
    EXPECT_EQ(photoReads - listReads, 6);
}

TEST(PhotoPrint, ATicketWithoutPhotosIsNotOfferedTheBox)
{
    TicketWindow desk;
    const int32_t bare = desk.SaveTicket(TypedTicket());
    DBFrameWork::TicketRecord other = TypedTicket();
    other.Customer.Name = "Ann Other";
    const int32_t papers = desk.SaveTicket(other);
    StoreFiles(desk, papers, {File("manual.pdf", "application/pdf", "%PDF-1.4 not much of one")});

    for (const int32_t id : {bare, papers}) {
        ASSERT_TRUE(desk.Form().OpenStoredProblem(id));
        for (const char* command : {"PrintFileMenu", "PrintIntakeReceiptFileMenu"}) {
            SCOPED_TRACE(std::string(command) + " of ticket " + std::to_string(id));
            const std::string pdf = desk.Work().File(std::string(command) + std::to_string(id) + ".pdf");
            // Were the box there, it would be ticked.
            Print(desk, command, pdf, true);
            ASSERT_FALSE(desk.fake.printRequests.empty());
            EXPECT_FALSE(desk.fake.printRequests.back().offerPhotos);
            EXPECT_EQ(Pages(pdf), 1);
        }
    }
}

TEST(PhotoPrint, TheDesktopsPrintDialogShowsTheBoxUntickedEachTimeAndOnlyWhenOffered)
{
    TestSupport::TempDir work;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(work.File("out.pdf")));
    Interaction::Backend& desktop = Interaction::DesktopBackend();

    for (int time = 1; time <= 2; ++time) {
        SCOPED_TRACE(time);
        Interaction::PrintRequest request;
        request.offerPhotos = true;
        bool printed = false;
        const bool shown = WhileShown<QPrintDialog>([&] { printed = desktop.ChoosePrinter(printer, request); },
                                                    [](QPrintDialog& dialog) {
                                                        auto* box = dialog.findChild<QCheckBox*>(
                                                            "IncludePhotosCheckBox");
                                                        ASSERT_NE(box, nullptr);
                                                        EXPECT_EQ(box->text(), "Include the ticket's photos");
                                                        EXPECT_FALSE(box->isChecked());
                                                        box->setChecked(true);
                                                        dialog.accept();
                                                    });
        ASSERT_TRUE(shown);
        EXPECT_TRUE(printed);
        EXPECT_TRUE(request.includePhotos);
    }

    Interaction::PrintRequest plain;
    plain.includePhotos = true;  // left from some earlier answer
    bool printed = false;
    const bool shown = WhileShown<QPrintDialog>([&] { printed = desktop.ChoosePrinter(printer, plain); },
                                                [](QPrintDialog& dialog) {
                                                    EXPECT_EQ(dialog.findChild<QCheckBox*>("IncludePhotosCheckBox"),
                                                              nullptr);
                                                    dialog.accept();
                                                });
    ASSERT_TRUE(shown);
    EXPECT_TRUE(printed);
    EXPECT_FALSE(plain.includePhotos);
}
