#pragma once

#include <QDialog>

class QLineEdit;
class QScrollBar;

/// "系统设置": the draw screen's background picture, the music while a round rolls, the
/// music on a win and the scroll speed. It loads the settings when it is created and writes
/// all four when the operator confirms; the next opening of the draw screen uses them.
class SettingsDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);

    /// "确定": writes the four settings exactly as they stand and closes the dialog; a
    /// failing write leaves it open with its fields as they are.
    void saveAndClose();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void load();
    void browse(QLineEdit *field);

    QLineEdit *m_pictureEdit;
    QLineEdit *m_drawMusicEdit;
    QLineEdit *m_winMusicEdit;
    QScrollBar *m_speedBar;
};
