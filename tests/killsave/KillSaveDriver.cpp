// Saves new tickets through the real window in a loop until it is killed, for
// the kill test: kill_save_driver <folder> [saves]. The folder holds the
// settings and the data file. With a count it stops after that many saves
// (used once to create the data file); without one it runs until killed.
// Each ticket is saved once as typed, then again with two files added.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTextEdit>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/FilesPage.h"
#include "app/MainUnit.h"
#include "ibpp/ibpp.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/windows/FakeInteraction.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [saves]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const long limit = argc > 2 ? std::atol(argv[2]) : -1;
    if (chdir(argv[1]) != 0)
        return 2;
    // A megabyte and a half that does not compress, and a log.
    const QString photo = folder + "/kill-dump.bin";
    const QString log = folder + "/kill-setup.log";
    if (!QFile::exists(photo)) {
        QFile file(photo);
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        unsigned value = 12345;
        QByteArray bytes(1536 * 1024, '\0');
        for (char& byte : bytes) {
            value = value * 1103515245u + 12345u;
            byte = static_cast<char>(value >> 24);
        }
        file.write(bytes);
        QFile text(log);
        if (!text.open(QIODevice::WriteOnly))
            return 2;
        text.write(QByteArray("setup started\nerror 0x80070005\n").repeated(1000));
    }
    FakeInteraction fake;
    int failures = 0;
    {
        TMainForm window(ProgramPaths::InFolder(folder));
        std::printf("saving\n");
        std::fflush(stdout);
        // Every ticket has a customer of its own, so each save inserts three rows.
        const std::string run = std::to_string(getpid());
        for (long n = 1; limit < 0 || n <= limit; ++n) {
            window.NewFileMenuClick();
            Control<QLineEdit>(window, "NameEdit")
                ->setText(QString::fromStdString("Customer " + run + "-" + std::to_string(n)));
            window.SetAddressText("1 Main St\r\nSuite 2");
            Control<QComboBox>(window, "CityComboBox")->setEditText("Springfield");
            Control<QComboBox>(window, "StateComboBox")->setEditText("IL");
            Control<QComboBox>(window, "ZipComboBox")->setEditText("62701");
            Control<QComboBox>(window, "TechnicianComboBox")->setEditText("Ann");
            Control<QComboBox>(window, "OperatingSystemComboBox")->setEditText("Debian 12");
            Control<QTextEdit>(window, "ProblemRichEdit")->setPlainText("No sound after the update");
            window.SaveFileMenuClick();
            Control<TFilesPage>(window, "Files")->AddPaths({photo, log});
            window.SaveFileMenuClick();
            if (fake.messages != QStringList{"Save Successfull!", "Save Successfull!"})
                ++failures;
            fake.messages.clear();
        }
    }
    IBPP::Shutdown();
    std::printf("failed saves: %d\n", failures);
    return failures == 0 ? 0 : 1;
}
