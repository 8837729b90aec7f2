#include "app/ProgramPaths.h"

#include "dbframework/DBFrameWork_Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

const char* const ProgramPaths::UserFolderName = "velmora-solutions";

namespace {

const char* const SettingsName = "Quenbrook.ini";
const char* const ReportName = "tmp.HTML";

QString UserFolder(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location) + "/" + ProgramPaths::UserFolderName;
}

bool SameFolder(const QString& one, const QString& other)
{
    const QString canonical = QFileInfo(one).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(other).canonicalFilePath();
}

}  // namespace

ProgramPaths ProgramPaths::InFolder(const QString& folder)
{
    ProgramPaths paths;
    paths.Folder = folder;
    paths.SettingsFile = folder + "/" + SettingsName;
    paths.TemporaryReportFile = folder + "/" + ReportName;
    paths.IndexCacheFolder = folder + "/FindIndex";
    return paths;
}

ProgramPaths ProgramPaths::BesideExecutable()
{
    return InFolder(QCoreApplication::applicationDirPath());
}

ProgramPaths ProgramPaths::ForUser(const QString& workingFolder)
{
    ProgramPaths paths;
    paths.Folder = QDir::homePath();
    // The same folder as QStandardPaths::AppConfigLocation gives the program,
    // but named here so that it does not follow the executable's file name.
    paths.SettingsFile = UserFolder(QStandardPaths::GenericConfigLocation) + "/" + SettingsName;
    // The runtime folder is emptied at log-out, which suits a temporary file;
    // without one the cache folder takes it. Qt would make up a runtime folder
    // of its own (with a warning) when the variable is unset, so it is read here.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString reportFolder = !runtime.isEmpty() && QFileInfo(runtime).isDir()
        ? runtime + "/" + ProgramPaths::UserFolderName
        : UserFolder(QStandardPaths::GenericCacheLocation);
    paths.TemporaryReportFile = reportFolder + "/" + ReportName;
    paths.IndexCacheFolder = UserFolder(QStandardPaths::GenericCacheLocation) + "/FindIndex";
    // A desktop menu starts programs in the home folder or in "/", where a data
    // file relative to the working folder would be scattered or impossible.
    if (SameFolder(workingFolder, QDir::homePath()) || SameFolder(workingFolder, "/"))
        paths.DataFolder = UserFolder(QStandardPaths::GenericDataLocation);
    return paths;
}

ProgramPaths ProgramPaths::ForThisCopy()
{
    // Root may write anywhere, so a copy it runs is never taken for a
    // portable one: "sudo" on a copy in a folder another user can write would
    // let that user choose what root overwrites. Root keeps its own folders,
    // and a terminal start keeps the data file in its working folder.
    if (geteuid() == 0) {
        ProgramPaths paths = ForUser(QDir::currentPath());
        paths.DataFolder.clear();
        return paths;
    }
    const QString folder = QCoreApplication::applicationDirPath();
    if (access(QFile::encodeName(folder).constData(), W_OK) == 0)
        return InFolder(folder);
    return ForUser(QDir::currentPath());
}

QString ProgramPaths::DataFilePath(const QString& configured) const
{
    // A server's path names a file on the server: it is used as written.
    if (DataFolder.isEmpty() || configured.isEmpty() || QDir::isAbsolutePath(configured) ||
        DBFrameWork::IsServerPath(configured.toStdString()))
        return configured;
    return QDir::cleanPath(DataFolder + "/" + configured);
}
