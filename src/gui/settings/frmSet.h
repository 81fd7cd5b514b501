#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

/// The settings dialog (系统设置): background picture, music while rolling, music on a win
/// and the scroll speed. It loads the settings when it is created and writes all four when
/// the operator confirms; the next opening of the draw screen uses the new paths.
class TfmSet final : public QDialog
{
    Q_OBJECT
public:
    explicit TfmSet(QWidget *parent = nullptr);

    // Controls, named as on the form.
    QWidget *page = nullptr;         // caption bar "系统设置" and the controls below it
    QPushButton *pageClose = nullptr; // the caption bar's close button
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Edit1 = nullptr; // background picture
    QLineEdit *Edit2 = nullptr; // music while rolling
    QLineEdit *Edit3 = nullptr; // music on a win
    QPushButton *AdvGlowButton1 = nullptr;
    QPushButton *AdvGlowButton2 = nullptr;
    QPushButton *AdvGlowButton3 = nullptr;
    QScrollBar *PropScrollbar1 = nullptr; // scroll speed 0..100
    QPushButton *AdvGlassButton3 = nullptr; // 确定
    QPushButton *AdvGlassButton4 = nullptr; // 取消

    void FormCreate();
    void AdvGlowButton1Click();
    void AdvGlowButton2Click();
    void AdvGlowButton3Click();
    void AdvGlassButton3Click();
    void AdvGlassButton4Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void browse(QLineEdit *field);

    QPoint m_dragOffset;
    bool m_dragging = false;
};
