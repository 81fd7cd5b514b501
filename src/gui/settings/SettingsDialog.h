#pragma once

#include "gui/draw/ScreenChoice.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QScrollBar;

/// "系统设置": the draw screen's background picture, the music while a round rolls, the
/// music on a win, the scroll speed, the screen the draw is shown on and whether the middle
/// digits stay hidden at the reveal. It loads the settings when it is created and writes them
/// all when the operator confirms; the next opening of the draw screen uses them.
class SettingsDialog final : public QDialog
{
    Q_OBJECT

public:
    /// Offers the screens connected now.
    explicit SettingsDialog(QWidget *parent = nullptr);
    /// Offers @p screens: a stand-in list for tests, as a virtual display has one screen only.
    explicit SettingsDialog(const QList<ScreenInfo> &screens, QWidget *parent = nullptr);

    /// "确定": writes the settings exactly as they stand and closes the dialog; a failing
    /// write leaves it open with its fields as they are.
    void saveAndClose();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void load();
    void showScreenChoice(const QString &key);
    void browse(QLineEdit *field);

    QList<ScreenInfo> m_screens;
    QLineEdit *m_pictureEdit;
    QLineEdit *m_drawMusicEdit;
    QLineEdit *m_winMusicEdit;
    QScrollBar *m_speedBar;
    QComboBox *m_screenCombo;
    QCheckBox *m_hideDigitsCheck;
};
