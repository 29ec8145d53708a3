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
            failures.append(sendingError + name + QStringLiteral(": No shared network path is set."));
            continue;
        }
        std::error_code textError;
        if (!request.message.isEmpty())
            textError = Write_Message(files, dropPath(request.folder, name, "txt"), request.message);
        const auto soundError = placeFile(files, dropPath(request.folder, name, "wav"),
                                          [&](const QString &temporary, std::error_code &fillError) {
                                              // The user's own sound may well be a link to where it lives.
                                              files.copy(request.soundFile, temporary, kMaxSoundBytes,
                                                         FileSystem::Links::Follow, fillError);
                                          });
        // One report per recipient: the sound's failure says the most.
        if (soundError)
            failures.append(sendingError + name + QLatin1String(": ") + errorText(soundError));
        else if (textError)
            failures.append(QLatin1String("File write error: ") + name + QLatin1String(": ")
                            + errorText(textError));
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
