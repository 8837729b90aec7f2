#include "app/ServerKeyring.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include "dbframework/DBFrameWork_Platform.h"

namespace ServerKeyring {
namespace {

const char* const Service = "Velmora Solutions Database";
constexpr int AnswerMilliseconds = 5000;

QString Key(const QString& server, const QString& user)
{
    return user + "@" + server;
}

// Runs job to its end or the time limit; false when it did not end in time.
// A job that outlives the wait deletes itself when it ends.
bool Run(QKeychain::Job& job)
{
    job.setAutoDelete(false);
    // Never the library's plain-text fallback: no keyring means none.
    job.setInsecureFallback(false);
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(AnswerMilliseconds, &loop, &QEventLoop::quit);
    job.start();
    if (!ended)
        loop.exec();
    return ended;
}

template <typename JobType>
JobType* NewJob(const QString& server, const QString& user)
{
    auto* job = new JobType(Service);
    job->setKey(Key(server, user));
    return job;
}

// A job still waiting for the keyring is left to end and delete itself.
template <typename JobType>
void Release(JobType* job, bool ended)
{
    if (ended) {
        delete job;
        return;
    }
    DBFrameWork::OutputDebugString("The desktop's keyring did not answer in time");
    QObject::connect(job, &QKeychain::Job::finished, job, &QObject::deleteLater);
}

}  // namespace

Lookup Read(const QString& server, const QString& user, QString& password)
{
    auto* job = NewJob<QKeychain::ReadPasswordJob>(server, user);
    const bool ended = Run(*job);
    Lookup lookup = Lookup::NoKeyring;
    if (ended && job->error() == QKeychain::NoError) {
        password = job->textData();
        lookup = Lookup::Found;
    } else if (ended && job->error() == QKeychain::EntryNotFound) {
        lookup = Lookup::NotFound;
    } else if (ended) {
        DBFrameWork::OutputDebugString("The desktop's keyring: " + job->errorString().toStdString());
    }
    Release(job, ended);
    return lookup;
}

bool Write(const QString& server, const QString& user, const QString& password)
{
    auto* job = NewJob<QKeychain::WritePasswordJob>(server, user);
    job->setTextData(password);
    const bool ended = Run(*job);
    const bool written = ended && job->error() == QKeychain::NoError;
    if (ended && !written)
        DBFrameWork::OutputDebugString("The desktop's keyring: " + job->errorString().toStdString());
    Release(job, ended);
    return written;
}

}  // namespace ServerKeyring
