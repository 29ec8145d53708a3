#include "net/sender.h"

#include "net/dropfolder.h"
#include "net/messagefile.h"
#include "net/sharejobs.h"
#include "platform/filesystem.h"

namespace calmora {

namespace {

QString errorText(const std::error_code &error)
{
    return QString::fromLocal8Bit(error.message());
}

} // namespace

QStringList sendMessage(FileSystem &files, const SendRequest &request)
{
    const QString sendingError = QStringLiteral("Error Sending: ");
    QStringList failures;
    for (const QString &name : request.recipients) {
        if (const QString problem = nameProblem(name); !problem.isEmpty()) {
            failures.append(sendingError + problem);
            continue;
        }
        if (request.folder.isEmpty()) {
            failures.append(sendingError + QStringLiteral("No shared network path is set."));
            continue;
        }
        if (!request.message.isEmpty()) {
            // A folder that is not there is reported once, by the sound's copy below.
            const auto error = Write_Message(files, dropPath(request.folder, name, "txt"), request.message);
            if (error && error != std::errc::no_such_file_or_directory)
                failures.append(QLatin1String("File write error: ") + errorText(error));
        }
        const auto error = placeFile(files, dropPath(request.folder, name, "wav"),
                                     [&](const QString &temporary, std::error_code &fillError) {
                                         files.copy(request.soundFile, temporary, kMaxSoundBytes, fillError);
                                     });
        if (error)
            failures.append(sendingError + errorText(error));
    }
    return failures;
}

Sender::Sender(std::shared_ptr<FileSystem> files, QObject *parent)
    : QObject(parent), m_files(std::move(files)), m_jobs(new ShareJobs(this))
{
}

bool Sender::busy() const
{
    return m_jobs->outstanding() > 0;
}

void Sender::send(const SendRequest &request)
{
    std::function<QStringList()> job = [files = m_files, request] { return sendMessage(*files, request); };
    m_jobs->run<QStringList>(
        std::move(job), [this](const QStringList &failures) { Q_EMIT sent(failures); }, m_answerWaitMs);
}

} // namespace calmora
