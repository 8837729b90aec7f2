// The application's settings and their INI file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/Quenbrook_CounterSettings.h"

namespace Quenbrook {

class Configuration {
public:
    Configuration();

    // Reads the settings file; an absent file loads the defaults. Never writes.
    bool Load(const std::string& fileName);
    // Writes the settings file; false when it cannot be written.
    bool Save();

    std::string GetCompanyName() const;
    void SetCompanyName(const std::string& name);
    std::string GetAddress() const;
    void SetAddress(const std::string& address);
    std::string GetWebSite() const;
    void SetWebSite(const std::string& webSite);
    std::string GetDataFile() const;
    void SetDataFile(const std::string& dataFile);
    std::string GetFileName() const;
    // The login for a data file on a server; the local file keeps its own.
    std::string GetDataFileUser() const;
    void SetDataFileUser(const std::string& user);
    std::string GetDataFilePassword() const;
    void SetDataFilePassword(const std::string& password);

    // The verified backup made when the program ends (at most once a day),
    // and how many of those backups are kept.
    bool GetBackupOnExit() const;
    void SetBackupOnExit(bool backupOnExit);
    int32_t GetBackupCopies() const;
    // Values below 1 keep one copy.
    void SetBackupCopies(int32_t copies);

    // The language whose word forms Find Solutions matches ("english"); the
    // empty text sets the default.
    std::string GetSearchLanguage() const;
    void SetSearchLanguage(const std::string& language);

    // Phone and fax numbers, stored as "key=number" (Phone1, Fax1, ...).
    std::string GetNumber(const std::string& key) const;
    void AddNumber(const std::string& key, const std::string& number);
    void ClearNumbers();

    // Pick lists; positions count from 1.
    std::string GetTechnician(int32_t position) const;
    void SetTechnician(int32_t position, const std::string& name);
    void ClearTechnicians();
    std::string GetOperatingSystem(int32_t position) const;
    void SetOperatingSystem(int32_t position, const std::string& name);
    void ClearOperatingSystems();

    const CounterSettings& GetCounter() const { return Counter; }
    void SetCounter(const CounterSettings& counter);

private:
    std::string CompanyName;
    std::string Address;
    std::vector<std::string> Numbers;
    std::string WebSite;
    std::vector<std::string> Technicians;
    std::vector<std::string> OperatingSystems;
    std::string FileName;
    std::string DataFile;
    std::string DataFileUser;
    std::string DataFilePassword;
    bool BackupOnExit = true;
    int32_t BackupCopies = 10;
    std::string SearchLanguage = "english";
    CounterSettings Counter;
};

}  // namespace Quenbrook
