#include "gui/ui/SoundPlayer.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QSoundEffect>

namespace {

QUrl resourceUrl(const QString &resource)
{
    return QUrl(QStringLiteral("qrc") + resource);
}

/// QSoundEffect behind the player interface. Without an audio device QSoundEffect never
/// reports an end, so nothing here ever waits for one.
class EffectSoundPlayer final : public SoundPlayer
{
public:
    void play(const QString &path, Mode mode, const QString &builtIn) override
    {
        QSoundEffect *effect = this->effect();
        effect->stop();
        m_builtIn = resourceUrl(builtIn);
        const QUrl url = source(path, builtIn);
        if (effect->source() != url)
            effect->setSource(url);
        effect->setLoopCount(mode == Mode::Loop ? QSoundEffect::Infinite : 1);
        effect->play();
    }

private:
    QSoundEffect *effect()
    {
        if (!m_effect) {
            // Parented to the application so that it goes before the audio backend does.
            m_effect = new QSoundEffect(qApp);
            QObject::connect(m_effect, &QSoundEffect::statusChanged, m_effect, [this] {
                if (m_effect->status() != QSoundEffect::Error)
                    return;
                // A file that is there but cannot be played: the built-in sound instead.
                if (m_effect->source() != m_builtIn) {
                    m_effect->setSource(m_builtIn);
                    m_effect->play();
                } else {
                    QApplication::beep();
                }
            });
        }
        return m_effect;
    }

    QPointer<QSoundEffect> m_effect;
    QUrl m_builtIn;
};

SoundPlayer *g_instance = nullptr;

} // namespace

QUrl SoundPlayer::source(const QString &path, const QString &builtIn)
{
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isFile())
        return QUrl::fromLocalFile(info.absoluteFilePath());
    return resourceUrl(builtIn);
}

SoundPlayer &SoundPlayer::instance()
{
    static EffectSoundPlayer real;
    return g_instance ? *g_instance : real;
}

void SoundPlayer::setInstance(SoundPlayer *player)
{
    g_instance = player;
}
