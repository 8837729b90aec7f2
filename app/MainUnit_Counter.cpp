// The counter's commands: the customer list, the job states, the label and
// the intake receipt of a device, and notices to the customer.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPageLayout>
#include <QPrinter>
#include <QTextDocument>
#include <iterator>

#include "app/CounterControls.h"
#include "app/MainUnit.h"
#include "app/ServerKeyring.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dialogs/CounterSetupDialogUnit.h"
#include "dialogs/CustomerHistoryDock.h"
#include "dialogs/CustomerListDialogUnit.h"
#include "dialogs/DeviceLabel.h"
#include "dialogs/DocumentOutput.h"
#include "dialogs/IntakeReceipt.h"
#include "dialogs/Interaction.h"
#include "dialogs/ListEditorUnit.h"
#include "dialogs/NoticeTemplate.h"
#include "dialogs/NotifyCustomerDialogUnit.h"
#include "dialogs/PhoneNumbersEdit.h"
#include "dialogs/ReportDates.h"
#include "settings/Quenbrook_Configuration.h"

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// The keyring keeps the mail password under the mail server's address.
QString MailKeyringServer(const Quenbrook::MailServerSettings& mail)
{
    return "smtp://" + Text(mail.Host) + ":" + QString::number(mail.Port);
}

QString PhonesText(const DBFrameWork::ContactsRecord& contacts)
{
    QStringList phones;
    for (const DBFrameWork::PhoneRecord& phone : contacts.Phones)
        phones << TPhoneNumbersEdit::PhoneText(phone);
    return phones.join(", ");
}

QString DeviceName(const DBFrameWork::DeviceRecord& device)
{
    QStringList parts;
    for (const std::string* part : {&device.Kind, &device.MakeModel})
        if (!part->empty())
            parts << Text(*part);
    return parts.join(" ");
}

QStringList Lines(const std::string& text)
{
    QString lines = Text(text);
    lines.replace("\r\n", "\n");
    return lines.split('\n', Qt::SkipEmptyParts);
}

}  // namespace

void TMainForm::BuildCounterMenus()
{
    auto addAction = [this](QMenu* menu, QAction* before, const char* name, const QString& caption) {
        auto* action = new QAction(caption, this);
        action->setObjectName(name);
        menu->insertAction(before, action);
        return action;
    };
    // After the work order's entries, before Backup.
    QAction* backupSeparator = FileMenu->actions().at(FileMenu->actions().indexOf(BackupFileMenu) - 1);
    PrintIntakeReceiptFileMenu = addAction(FileMenu, backupSeparator, "PrintIntakeReceiptFileMenu",
                                           "Print &Intake Receipt...");
    ExportIntakeReceiptFileMenu = addAction(FileMenu, backupSeparator, "ExportIntakeReceiptFileMenu",
                                            "Intake Receipt as P&DF...");
    PrintLabelFileMenu = addAction(FileMenu, backupSeparator, "PrintLabelFileMenu", "Print &Label...");
    NotifyCustomerFileMenu = addAction(FileMenu, backupSeparator, "NotifyCustomerFileMenu", "Notify &Customer...");
    CustomersViewMenu = addAction(ViewMenu, HoursReportViewMenu, "CustomersViewMenu", "&Customers...");
    ViewMenu->removeAction(HoursReportViewMenu);
    ViewMenu->insertAction(CustomersViewMenu, HoursReportViewMenu);
    CustomersViewMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    StatesSetupMenu = SetupMenu->addAction("&States...");
    StatesSetupMenu->setObjectName("StatesSetupMenu");
    CounterSetupMenu = SetupMenu->addAction("&Counter...");
    CounterSetupMenu->setObjectName("CounterSetupMenu");
    for (QLineEdit* edit : {NameEdit, ZipComboBox->lineEdit()})
        connect(edit, &QLineEdit::editingFinished, this, [this] { RunCommand([this] { OfferKnownCustomer(); }); });
    ConnectCommand(PrintIntakeReceiptFileMenu, &TMainForm::PrintIntakeReceiptFileMenuClick);
    ConnectCommand(ExportIntakeReceiptFileMenu, &TMainForm::ExportIntakeReceiptFileMenuClick);
    ConnectCommand(PrintLabelFileMenu, &TMainForm::PrintLabelFileMenuClick);
    ConnectCommand(NotifyCustomerFileMenu, &TMainForm::NotifyCustomerFileMenuClick);
    ConnectCommand(CustomersViewMenu, &TMainForm::CustomersViewMenuClick);
    ConnectCommand(StatesSetupMenu, &TMainForm::StatesSetupMenuClick);
    ConnectCommand(CounterSetupMenu, &TMainForm::CounterSetupMenuClick);
}

QStringList TMainForm::JobStates() const
{
    QStringList states;
    for (const std::string& state : Config->GetCounter().JobStates)
        states << Text(state);
    return states;
}

void TMainForm::ShowCounterHistory(const DBFrameWork::TicketRecord& ticket)
{
    JobHistory = ticket.History;
    if (!CustomerHistory)
        return;
    CustomerHistory->ShowJobHistory(ticket.History);
    QStringList contact;
    if (!ticket.Contacts.Phones.empty())
        contact << PhonesText(ticket.Contacts);
    if (!ticket.Contacts.Email.empty())
        contact << Text(ticket.Contacts.Email);
    CustomerHistory->ShowContacts(contact.join(" \u00b7 "));
}

void TMainForm::OfferKnownCustomer()
{
    if (!IsNewProblem || DataFileIsNewer)
        return;
    const DBFrameWork::TicketRecord typed = TicketFromControls();
    const DBFrameWork::TableDefinition& table = DBFrameWork::CustomerTable();
    const DBFrameWork::CustomerRecord& customer = typed.Customer;
    const std::string* fields[] = {&customer.Name, &customer.Address, &customer.City, &customer.State, &customer.Zip};
    for (size_t at = 0; at < std::size(fields); ++at)
        if (*fields[at] == table.Columns[DBFrameWork::CustomerColumn::Name + at].Placeholder)
            return;
    int32_t customerId = -1;
    std::vector<DBFrameWork::DeviceRecord> devices;
    if (!DBFrameWork::MatchStoredCustomer(*Connection, customer, customerId) || customerId <= 0 ||
        !DBFrameWork::ReadCustomerDevices(*Connection, customerId, devices)) {
        Counter->OfferDevices({});
        return;
    }
    Counter->OfferDevices(devices);
    DBFrameWork::ContactsRecord contacts;
    if (!Counter->HasContacts() && DBFrameWork::ReadContacts(*Connection, customerId, contacts))
        Counter->ShowContacts(contacts);
}

bool TMainForm::StoredTicketForPrinting(DBFrameWork::TicketRecord& ticket)
{
    if (HasPlaceholderText() || IsNewProblem) {
        Interaction::ShowMessage("Save the ticket before printing.");
        return false;
    }
    ticket = TicketFromControls();
    ticket.History = JobHistory;
    return true;
}

void TMainForm::CustomersViewMenuClick()
{
    TCustomerListDialog dialog(this, Connection.get());
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenProblemID() == 0)
        return;
    OpenListedProblem(dialog.ChosenProblemID());
}

void TMainForm::StatesSetupMenuClick()
{
    TListEditor dialog(nullptr, JobStates());
    dialog.setWindowTitle("Job States");
    if (!dialog.Execute())
        return;
    Quenbrook::CounterSettings counter = Config->GetCounter();
    counter.JobStates.clear();
    for (const QString& state : dialog.GetItems())
        if (!state.trimmed().isEmpty())
            counter.JobStates.push_back(state.trimmed().toStdString());
    Config->SetCounter(counter);
    Counter->SetStates(JobStates());
    if (!SaveSettings())
        Interaction::ShowMessage("Failed to save configuration!");
}

void TMainForm::CounterSetupMenuClick()
{
    const Quenbrook::CounterSettings old = Config->GetCounter();
    QString password;
    if (!old.Mail.Host.empty() && !old.Mail.User.empty())
        ServerKeyring::Read(MailKeyringServer(old.Mail), Text(old.Mail.User), password);
    TCounterSetupDialog dialog(this, old, password);
    if (!dialog.Execute())
        return;
    const Quenbrook::CounterSettings counter = dialog.Settings();
    Config->SetCounter(counter);
    // The password lives in the keyring alone.
    if (!counter.Mail.Host.empty() && !counter.Mail.User.empty() && !dialog.MailPassword().isEmpty() &&
        !ServerKeyring::Write(MailKeyringServer(counter.Mail), Text(counter.Mail.User), dialog.MailPassword()))
        Interaction::ShowMessage("The mail password could not be kept: the desktop's keyring did not take it.");
    if (!SaveSettings())
        Interaction::ShowMessage("Failed to save configuration!");
}

void TMainForm::PrintLabelFileMenuClick()
{
    DBFrameWork::TicketRecord ticket;
    if (!StoredTicketForPrinting(ticket))
        return;
    const Quenbrook::CounterSettings& counter = Config->GetCounter();
    const LabelSize size{counter.LabelWidthMm, counter.LabelHeightMm};
    DeviceLabelFields fields;
    fields.ticketNumber = QString::number(ticket.Problem.ProblemID);
    fields.customerName = Text(ticket.Customer.Name);
    if (ticket.Job.PromisedBy.IsSet())
        fields.promisedBy = ShortDateText(ToQDate(ticket.Job.PromisedBy));
    if (!LabelPrinter)
        LabelPrinter = std::make_shared<QPrinter>(QPrinter::HighResolution);
    SetUpLabelPage(*LabelPrinter, size);
    if (!Interaction::ChoosePrinter(*LabelPrinter))
        return;
    if (!PrintDeviceLabel(*LabelPrinter, fields, size))
        throw ApplicationError("The label could not be printed.");
}

void TMainForm::PrintIntakeReceiptFileMenuClick()
{
    QTextDocument document;
    if (BuildIntakeReceiptDocument(document))
        PrintTicketDocument(document);
}

void TMainForm::ExportIntakeReceiptFileMenuClick()
{
    QTextDocument document;
    if (!BuildIntakeReceiptDocument(document))
        return;
    const QString name = "Intake Receipt " + QString::number(ProblemID) + ".pdf";
    QString failedPath;
    if (!DocumentOutput::ExportPdf(document, GetPrinter(), name, failedPath) && !failedPath.isEmpty())
        throw ApplicationError("Error writing " + failedPath.toStdString() + "!");
}

bool TMainForm::BuildIntakeReceiptDocument(QTextDocument& document)
{
    DBFrameWork::TicketRecord ticket;
    if (!StoredTicketForPrinting(ticket))
        return false;
    IntakeReceiptFields fields;
    fields.companyName = Text(Config->GetCompanyName());
    fields.companyAddress = Text(Config->GetAddress());
    fields.phones = BusinessNumbers("Phone");
    fields.webSite = Text(Config->GetWebSite());
    fields.ticketNumber = QString::number(ticket.Problem.ProblemID);
    fields.date = ToQDate(ticket.Problem.Assigned);
    fields.customerName = Text(ticket.Customer.Name);
    fields.customerAddressLines = Lines(ticket.Customer.Address);
    fields.customerAddressLines << Text(ticket.Customer.City) + ", " + Text(ticket.Customer.State) + " " +
            Text(ticket.Customer.Zip);
    for (const DBFrameWork::PhoneRecord& phone : ticket.Contacts.Phones)
        fields.customerPhones << TPhoneNumbersEdit::PhoneText(phone);
    fields.customerEmail = Text(ticket.Contacts.Email);
    const DBFrameWork::JobRecord& job = ticket.Job;
    fields.deviceKind = Text(job.Device.Kind);
    fields.deviceMakeModel = Text(job.Device.MakeModel);
    fields.deviceSerial = Text(job.Device.Serial);
    fields.accessories = Text(job.Accessories);
    fields.condition = Text(job.Condition);
    if (job.PromisedBy.IsSet())
        fields.promisedBy = ToQDate(job.PromisedBy);
    fields.terms = Text(Config->GetCounter().IntakeTerms);
    fields.termsAgreed = job.TermsAgreed;

    QPrinter& printer = GetPrinter();
    BuildIntakeReceipt(fields, &printer, printer.pageLayout().paintRectPixels(printer.resolution()).size(), document);
    return true;
}

void TMainForm::NotifyCustomerFileMenuClick()
{
    DBFrameWork::TicketRecord ticket;
    if (HasPlaceholderText() || IsNewProblem) {
        Interaction::ShowMessage("Save the ticket before notifying the customer.");
        return;
    }
    ticket = TicketFromControls();
    const Quenbrook::CounterSettings& counter = Config->GetCounter();
    const QString state = Counter->ShownState();
    NoticeFields fields;
    fields.customerName = Text(ticket.Customer.Name);
    fields.ticketNumber = QString::number(ticket.Problem.ProblemID);
    fields.device = DeviceName(ticket.Job.Device);
    fields.state = state;
    fields.promisedBy = ticket.Job.PromisedBy.IsSet() ? ShortDateText(ToQDate(ticket.Job.PromisedBy)) : QString();
    fields.hours = QString::number(ticket.Problem.BillableHours);
    fields.businessName = Text(Config->GetCompanyName());
    const QStringList phones = BusinessNumbers("Phone");
    fields.businessPhone = phones.isEmpty() ? QString() : phones.first();
    const auto body = counter.NoticeBodies.find(state.toStdString());
    const QString bodyTemplate = body != counter.NoticeBodies.end() ? Text(body->second) : DefaultNoticeBody(state);
    const QString subjectTemplate = counter.NoticeSubject.empty() ? DefaultNoticeSubject()
                                                                  : Text(counter.NoticeSubject);

    MailServer server;
    const Quenbrook::MailServerSettings& mail = counter.Mail;
    const bool canSend = !mail.Host.empty();
    if (canSend) {
        server.host = mail.Host;
        server.port = mail.Port;
        server.security = mail.ImplicitTls ? MailSecurity::Tls : MailSecurity::StartTls;
        server.user = mail.User;
        QString password;
        if (!mail.User.empty())
            ServerKeyring::Read(MailKeyringServer(mail), Text(mail.User), password);
        server.password = password.toStdString();
    }
    TNotifyCustomerDialog dialog(this, Text(ticket.Contacts.Email), FillNotice(subjectTemplate, fields),
                                 FillNotice(bodyTemplate, fields), canSend ? &server : nullptr, Text(mail.From),
                                 fields.businessName);
    const int32_t problemId = ticket.Problem.ProblemID;
    connect(&dialog, &TNotifyCustomerDialog::NoticeGiven, this, [this, problemId](const QString& way) {
        if (!DBFrameWork::AddJobEvent(*Connection, problemId, DBFrameWork::JobEventKind::Notice, way.toStdString(),
                                      DBFrameWork::DesktopUserName())) {
            Interaction::ShowError("The notice could not be written to the job's history.");
            return;
        }
        DBFrameWork::TicketRecord shown;
        shown.Contacts = TicketFromControls().Contacts;
        if (DBFrameWork::ReadJobHistory(*Connection, problemId, shown.History))
            ShowCounterHistory(shown);
    });
    dialog.exec();
}
