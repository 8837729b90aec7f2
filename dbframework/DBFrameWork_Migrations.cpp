#include "dbframework/DBFrameWork_Migrations.h"

namespace DBFrameWork {
namespace {

// Without these the search and the reports are slower or behind, but right:
// the file opens all the same.
const char* const ChangeLogFailure = "The change log of the search could not be laid out";
const char* const ReportIndexFailure = "The report indexes could not be added to the data file";
const char* const CounterFailure = "The counter's tables could not be added to the data file";
const char* const FilesFailure = "The table of the tickets' files could not be added to the data file";

// The tickets of a customer whose contacts changed, for the change log.
const char* const LogCustomersTickets =
    "    FOR SELECT ProblemID FROM Problem WHERE CustomerID = :Customer INTO :Key DO "
    "      INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), :Key); ";

}  // namespace

const std::vector<Migration>& SchemaMigrations()
{
    static const std::vector<Migration> migrations = {
        // The engine itself writes the key of every ticket whose Problem,
        // Customer or SystemInfo row changes, with a sequence number, so that
        // a search index learns of changes made by any program or desk.
        {1,
         "change log",
         ChangeLogFailure,
         {
             {StepKind::Add, "FINDCHANGE",
              "CREATE TABLE FindChange (ChangeSeq BIGINT NOT NULL, ProblemID INTEGER NOT NULL, "
              "CONSTRAINT PK$FindChange PRIMARY KEY (ChangeSeq));"},
             {StepKind::Add, "FINDCHANGEVALUE", "CREATE GENERATOR FindChangeValue;"},
         }},
        // A change of a key is logged under the old key too: the index drops it there.
        {2,
         "change log triggers",
         ChangeLogFailure,
         {
             {StepKind::Add, "FINDCHANGE_PROBLEM",
              "CREATE TRIGGER FindChange_Problem FOR Problem AFTER INSERT OR UPDATE OR DELETE AS "
              "BEGIN "
              "  IF (NOT DELETING) THEN INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), NEW.ProblemID); "
              "  IF (DELETING OR (UPDATING AND NEW.ProblemID IS DISTINCT FROM OLD.ProblemID)) THEN "
              "    INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), OLD.ProblemID); "
              "END"},
             {StepKind::Add, "FINDCHANGE_SYSTEMINFO",
              "CREATE TRIGGER FindChange_SystemInfo FOR SystemInfo AFTER INSERT OR UPDATE OR DELETE AS "
              "BEGIN "
              "  IF (NOT DELETING) THEN INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), NEW.ProblemID); "
              "  IF (DELETING OR (UPDATING AND NEW.ProblemID IS DISTINCT FROM OLD.ProblemID)) THEN "
              "    INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), OLD.ProblemID); "
              "END"},
             // A save writes the customer row again unchanged: only a real change
             // touches the customer's tickets. A column added to Customer comes
             // with a CREATE OR ALTER of this trigger (StepKind::Replace).
             {StepKind::Add, "FINDCHANGE_CUSTOMER",
              "CREATE TRIGGER FindChange_Customer FOR Customer AFTER UPDATE OR DELETE AS "
              "DECLARE VARIABLE Key INTEGER; "
              "BEGIN "
              "  IF (DELETING OR NEW.CustomerID IS DISTINCT FROM OLD.CustomerID OR NEW.Name IS DISTINCT FROM OLD.Name "
              "      OR NEW.Address IS DISTINCT FROM OLD.Address OR NEW.City IS DISTINCT FROM OLD.City "
              "      OR NEW.State IS DISTINCT FROM OLD.State OR NEW.Zip IS DISTINCT FROM OLD.Zip) THEN "
              "    FOR SELECT ProblemID FROM Problem WHERE CustomerID = OLD.CustomerID OR CustomerID = NEW.CustomerID "
              "        INTO :Key DO "
              "      INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), :Key); "
              "END"},
         }},
        // The token tells one data file from another (DataFileIdentity).
        {3,
         "find identity",
         ChangeLogFailure,
         {
             {StepKind::Add, "FINDIDENTITY", "CREATE TABLE FindIdentity (Token VARCHAR(40) NOT NULL);"},
         }},
        {4,
         "find identity token",
         ChangeLogFailure,
         {
             {StepKind::AddRow, "FINDIDENTITY", "INSERT INTO FindIdentity (Token) VALUES (UUID_TO_CHAR(GEN_UUID()));"},
         }},
        // Assigned (with the key, the list's tie-break) serves the hours report's
        // date range and hands the open tickets over in their order without a
        // sort, so the first screen comes at once; Completed finds the open ones.
        // CustomerID, for a customer's history, is indexed by its foreign key already.
        {5,
         "report indexes",
         ReportIndexFailure,
         {
             {StepKind::Add, "IX$PROBLEM_ASSIGNEDID",
              "CREATE INDEX IX$Problem_AssignedID ON Problem (Assigned, ProblemID)"},
             {StepKind::Add, "IX$PROBLEM_COMPLETED", "CREATE INDEX IX$Problem_Completed ON Problem (Completed)"},
         }},
        // The counter: how a customer is reached, the customer's devices, and
        // per ticket its state, promised date, device and intake, with the
        // job's history. New tables only, so the older program's statements
        // on the three tables stay as they were.
        {6,
         "counter tables",
         CounterFailure,
         {
             {StepKind::Add, "CUSTOMERCONTACT",
              "CREATE TABLE CustomerContact (ContactID INTEGER NOT NULL, CustomerID INTEGER NOT NULL, "
              "Kind VARCHAR(10) NOT NULL, Contact VARCHAR(120) NOT NULL, Digits VARCHAR(30), ReversedDigits "
              "VARCHAR(30), "
              "CONSTRAINT PK$CustomerContact PRIMARY KEY (ContactID), "
              "CONSTRAINT FK$CustomerContact_Customer FOREIGN KEY (CustomerID) REFERENCES Customer (CustomerID));"},
             {StepKind::Add, "CONTACTIDVALUE", "CREATE GENERATOR ContactIDValue;"},
             {StepKind::Add, "DEVICE",
              "CREATE TABLE Device (DeviceID INTEGER NOT NULL, CustomerID INTEGER NOT NULL, Kind VARCHAR(20), "
              "MakeModel VARCHAR(80), Serial VARCHAR(60), CONSTRAINT PK$Device PRIMARY KEY (DeviceID), "
              "CONSTRAINT FK$Device_Customer FOREIGN KEY (CustomerID) REFERENCES Customer (CustomerID));"},
             {StepKind::Add, "DEVICEIDVALUE", "CREATE GENERATOR DeviceIDValue;"},
             {StepKind::Add, "JOB",
              "CREATE TABLE Job (ProblemID INTEGER NOT NULL, State VARCHAR(40), PromisedBy TIMESTAMP, DeviceID "
              "INTEGER, "
              "Accessories VARCHAR(200), ArrivalCondition BLOB SUB_TYPE TEXT, TermsAgreed INTEGER, "
              "CONSTRAINT PK$Job PRIMARY KEY (ProblemID), "
              "CONSTRAINT FK$Job_Problem FOREIGN KEY (ProblemID) REFERENCES Problem (ProblemID), "
              "CONSTRAINT FK$Job_Device FOREIGN KEY (DeviceID) REFERENCES Device (DeviceID));"},
             {StepKind::Add, "JOBEVENT",
              "CREATE TABLE JobEvent (EventID INTEGER NOT NULL, ProblemID INTEGER NOT NULL, EventTime TIMESTAMP NOT "
              "NULL, "
              "UserName VARCHAR(40), Kind VARCHAR(10) NOT NULL, Detail VARCHAR(200), "
              "CONSTRAINT PK$JobEvent PRIMARY KEY (EventID), "
              "CONSTRAINT FK$JobEvent_Problem FOREIGN KEY (ProblemID) REFERENCES Problem (ProblemID));"},
             {StepKind::Add, "JOBEVENTIDVALUE", "CREATE GENERATOR JobEventIDValue;"},
         }},
        // A number is found by its beginning or by its end (the last four
        // digits); the search learns of contacts, jobs and devices that change.
        {7,
         "counter indexes and change log",
         CounterFailure,
         {
             {StepKind::Add, "IX$CUSTOMERCONTACT_DIGITS",
              "CREATE INDEX IX$CustomerContact_Digits ON CustomerContact (Digits)"},
             {StepKind::Add, "IX$CUSTOMERCONTACT_REVERSED",
              "CREATE INDEX IX$CustomerContact_Reversed ON CustomerContact (ReversedDigits)"},
             // The customer list comes in name order, a page at a time.
             {StepKind::Add, "IX$CUSTOMER_NAME", "CREATE INDEX IX$Customer_Name ON Customer (Name)"},
             {StepKind::Add, "FINDCHANGE_CUSTOMERCONTACT",
              std::string(
                  "CREATE TRIGGER FindChange_CustomerContact FOR CustomerContact AFTER INSERT OR UPDATE OR DELETE AS "
                  "DECLARE VARIABLE Key INTEGER; DECLARE VARIABLE Customer INTEGER; "
                  "BEGIN "
                  "  IF (NOT DELETING) THEN BEGIN Customer = NEW.CustomerID; ") +
                  LogCustomersTickets +
                  "  END "
                  "  IF (DELETING OR (UPDATING AND NEW.CustomerID IS DISTINCT FROM OLD.CustomerID)) THEN BEGIN "
                  "    Customer = OLD.CustomerID; " +
                  LogCustomersTickets +
                  "  END "
                  "END"},
             {StepKind::Add, "FINDCHANGE_JOB",
              "CREATE TRIGGER FindChange_Job FOR Job AFTER INSERT OR UPDATE OR DELETE AS "
              "BEGIN "
              "  IF (NOT DELETING) THEN INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), NEW.ProblemID); "
              "  IF (DELETING OR (UPDATING AND NEW.ProblemID IS DISTINCT FROM OLD.ProblemID)) THEN "
              "    INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), OLD.ProblemID); "
              "END"},
             {StepKind::Add, "FINDCHANGE_DEVICE",
              "CREATE TRIGGER FindChange_Device FOR Device AFTER UPDATE AS "
              "DECLARE VARIABLE Key INTEGER; "
              "BEGIN "
              "  IF (NEW.Serial IS DISTINCT FROM OLD.Serial OR NEW.Kind IS DISTINCT FROM OLD.Kind "
              "      OR NEW.MakeModel IS DISTINCT FROM OLD.MakeModel) THEN "
              "    FOR SELECT ProblemID FROM Job WHERE DeviceID = NEW.DeviceID INTO :Key DO "
              "      INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), :Key); "
              "END"},
         }},
        // The photos and files of a ticket travel inside the data file, with
        // every backup; the search learns of files added, renamed or removed.
        {8,
         "ticket files",
         FilesFailure,
         {
             {StepKind::Add, "TICKETFILE",
              "CREATE TABLE TicketFile (FileID INTEGER NOT NULL, ProblemID INTEGER NOT NULL, "
              "FileName VARCHAR(255) NOT NULL, MediaType VARCHAR(100), ByteSize INTEGER NOT NULL, "
              "AddedAt TIMESTAMP NOT NULL, UserName VARCHAR(40), Content BLOB SUB_TYPE BINARY, "
              "Thumbnail BLOB SUB_TYPE BINARY, CONSTRAINT PK$TicketFile PRIMARY KEY (FileID), "
              "CONSTRAINT FK$TicketFile_Problem FOREIGN KEY (ProblemID) REFERENCES Problem (ProblemID));"},
             {StepKind::Add, "TICKETFILEIDVALUE", "CREATE GENERATOR TicketFileIDValue;"},
             {StepKind::Add, "FINDCHANGE_TICKETFILE",
              "CREATE TRIGGER FindChange_TicketFile FOR TicketFile AFTER INSERT OR UPDATE OR DELETE AS "
              "BEGIN "
              "  IF (NOT DELETING) THEN INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), NEW.ProblemID); "
              "  IF (DELETING OR (UPDATING AND NEW.ProblemID IS DISTINCT FROM OLD.ProblemID)) THEN "
              "    INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), OLD.ProblemID); "
              "END"},
         }},
    };
    return migrations;
}

}  // namespace DBFrameWork
