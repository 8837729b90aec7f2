// Where the window keeps its own files: the settings file and the temporary
// report file handed to the browser, and where a relative data file path
// points. A copy run from a folder of its own keeps its files beside the
// executable (portable); an installed copy, whose folder the user may not
// write, keeps them in the user's own folders. Tests give a folder of their own.
#pragma once

#include <QString>

struct ProgramPaths {
    // Where the import dialog starts: the executable's folder for a portable
    // copy, the home folder for an installed one. No trailing separator.
    QString Folder;
    QString SettingsFile;
    QString TemporaryReportFile;
    // The folder a relative data file path is taken from; empty for the
    // working folder.
    QString DataFolder;
    // Where the search index of a data file goes when it cannot lie beside
    // the file (a server's file, or a folder the user may not write).
    QString IndexCacheFolder;

    // "Quenbrook.ini" and "tmp.HTML" in the given folder; relative data file
    // paths mean the working folder.
    static ProgramPaths InFolder(const QString& folder);
    // The same beside the running executable.
    static ProgramPaths BesideExecutable();
    // An installed copy's files, in the folders the user's environment names
    // (XDG_CONFIG_HOME, XDG_RUNTIME_DIR, XDG_CACHE_HOME, XDG_DATA_HOME, HOME).
    // Started from the menu (working folder the home folder or "/"), relative
    // data file paths are taken from the user's data folder for the program.
    static ProgramPaths ForUser(const QString& workingFolder);
    // BesideExecutable() when the user may write the executable's folder,
    // otherwise ForUser() for the current working folder.
    static ProgramPaths ForThisCopy();

    // The path the data file is opened at for a configured path: relative
    // paths are put under DataFolder when there is one; the stored setting
    // itself stays as the user wrote it.
    QString DataFilePath(const QString& configured) const;

    // The program's folder name inside the user's configuration, data, cache
    // and runtime folders.
    static const char* const UserFolderName;
};
