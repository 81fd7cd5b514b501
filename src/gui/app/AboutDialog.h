#pragma once

#include <QDialog>

/// "联系我们": a small borderless information dialog about the program, with a caption bar
/// that can be dragged and a close button.
class AboutDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
};
