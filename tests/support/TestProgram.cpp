#include "tests/support/TestProgram.h"

#include "base/PhraseFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

namespace {
class NoConnections : public ConnectionFactory
{
public:
    std::unique_ptr<Connection> create() override { return nullptr; }
};
} // namespace

TestProgram::TestProgram(ConnectionFactory* connections)
{
    if (!connections) {
        m_none = std::make_unique<NoConnections>();
        connections = m_none.get();
    }
    m_program = std::make_unique<Program>(ui, clock, *connections);
    m_program->settings.clear();
}

void TestProgram::loadDeliveredPhrases()
{
    QFile file(QDir(testsupport::binaryDir()).filePath(QStringLiteral("vrwphrases.txt")));
    file.open(QIODevice::ReadOnly);
    const QString content = QString::fromUtf8(file.readAll());
    for (const QString& line : phraseFileLines(content)) {
        const PhraseLine p = parsePhraseLine(line);
        m_program->state.phrases.set(static_cast<int>(p.number), p.text);
    }
}
