#include "gui/ui/SoundPlayer.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace {

/// QSoundEffect behind the player interface. Without an audio device QSoundEffect never
/// reports an end, so nothing here ever waits for one.
class EffectSoundPlayer final : public SoundPlayer
{
public:
    void play(const QString &path, Mode mode) override
    {
        QSoundEffect *effect = this->effect();
        effect->stop();
        const QFileInfo info(path);
        if (!info.isFile()) {
            QApplication::beep();
            return;
        }
        const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
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
            QObject::connect(m_effect, &QSoundEffect::statusChanged, m_effect, [e = m_effect] {
                if (e->status() == QSoundEffect::Error)
                    QApplication::beep(); // a file that is there but cannot be played
            });
        }
        return m_effect;
    }

    QPointer<QSoundEffect> m_effect;
};

SoundPlayer *g_instance = nullptr;

} // namespace

SoundPlayer &SoundPlayer::instance()
{
    static EffectSoundPlayer real;
    return g_instance ? *g_instance : real;
}

void SoundPlayer::setInstance(SoundPlayer *player)
{
    g_instance = player;
}
