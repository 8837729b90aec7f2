// Where the window keeps its own files: the settings file and the temporary
// report file handed to the browser. The program takes them from the folder of
// its executable; tests give a folder of their own.
#pragma once

#include <QString>

struct ProgramPaths {
    // The folder the files live in, without a trailing separator; the import
    // dialog also starts there.
    QString Folder;
    QString SettingsFile;
    QString TemporaryReportFile;

    // "Quenbrook.ini" and "tmp.HTML" in the given folder.
    static ProgramPaths InFolder(const QString& folder);
    // The same beside the running executable.
    static ProgramPaths BesideExecutable();
};
