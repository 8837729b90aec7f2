#include "app/ProgramPaths.h"

#include <QCoreApplication>

ProgramPaths ProgramPaths::InFolder(const QString& folder)
{
    ProgramPaths paths;
    paths.Folder = folder;
    paths.SettingsFile = folder + "/Quenbrook.ini";
    paths.TemporaryReportFile = folder + "/tmp.HTML";
    return paths;
}

ProgramPaths ProgramPaths::BesideExecutable()
{
    return InFolder(QCoreApplication::applicationDirPath());
}
