#include "gui/app/AboutDialog.h"

#include "gui/ui/WindowDragger.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int CaptionHeight = 24;
}

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("联系我们"));
    setFixedSize(297, 217);
    setStyleSheet(QStringLiteral("AboutDialog { background: #eef4fc; border: 1px solid #002d96; }"
                                 "#caption { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5987d6,"
                                 " stop:1 #002d96); color: white; font-weight: bold; padding-left: 8px; }"
                                 "#close { background: transparent; color: white; border: none; font-weight: bold; }"
                                 "#close:hover { background: #c42b1c; }"));

    auto *caption = new QLabel(QStringLiteral("联系我们"), this);
    caption->setObjectName(QStringLiteral("caption"));
    caption->setGeometry(0, 0, width(), CaptionHeight);
    new WindowDragger(caption);
    auto *close = new QPushButton(QStringLiteral("×"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setAccessibleName(QStringLiteral("关闭"));
    close->setToolTip(QStringLiteral("关闭"));
    close->setGeometry(width() - CaptionHeight - 2, 0, CaptionHeight, CaptionHeight);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *body = new QLabel(this);
    body->setGeometry(16, CaptionHeight + 10, width() - 32, height() - CaptionHeight - 20);
    body->setWordWrap(true);
    body->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    body->setTextFormat(Qt::RichText);
    body->setText(QStringLiteral("<p><b>Kestrano抽奖软件</b> 1.0</p>"
                                 "<p>为企业和机构的年会、庆典等活动提供电脑抽奖：录入或导入参选人手机号码，设置奖项，"
                                 "全屏滚动号码抽取中奖者，保证每个号码只中奖一次。</p>"
                                 "<p>使用中的问题和建议，请联系本软件的开发团队 Kestrano。</p>"));
}
