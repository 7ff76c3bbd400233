// The window's own settings: where it stood, how its parts were divided, its
// column widths, the last export folder and what a fresh walk does with the
// goods of an earlier one, kept in the section [窗口].
// Only the window writes that section.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QTableView>

#include "settings/ini_file.h"
#include "settings/settings_file.h"
#include "ui/goods_panel.h"
#include "ui/layout_fit.h"
#include "ui/main_window.h"

namespace zorvane::ui {

namespace {

constexpr std::string_view kWindowSection = "窗口";
constexpr std::string_view kGeometryKey = "几何";
constexpr std::string_view kSplitterKey = "分隔";
constexpr std::string_view kColumnsKey = "列宽";
constexpr std::string_view kExportDirKey = "导出目录";
constexpr std::string_view kEarlierGoodsKey = "上次商品";
constexpr const char* kEarlierGoodsValues[] = {"询问", "清空", "保留"}; // by MainWindow::EarlierGoods

// Room a window manager's title bar and borders take around the window.
constexpr int kDecorationHeight = 40;

QString joined(const QList<int>& numbers)
{
    QStringList parts;
    for (int n : numbers)
        parts.push_back(QString::number(n));
    return parts.join(u',');
}

// The positive numbers of a "a,b,c" text; empty when there are not `count`.
QList<int> numbersOf(const std::optional<std::string>& text, int count)
{
    QList<int> numbers;
    if (!text)
        return numbers;
    for (const QString& part : QString::fromStdString(*text).split(u',')) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n <= 0)
            return {};
        numbers.push_back(n);
    }
    return numbers.size() == count ? numbers : QList<int>();
}

} // namespace

void MainWindow::placeOnScreen()
{
    const QRect room = screen()->availableGeometry();
    const QSize size =
        QSize(1050, 764).boundedTo(room.size() - QSize(0, kDecorationHeight)).expandedTo(minimumSizeHint());
    resize(size);
    // A window's position is that of its frame.
    move(room.center() - QPoint(size.width() / 2, (size.height() + kDecorationHeight) / 2));
}

void MainWindow::restoreLayout(const IniFile& ini)
{
    if (auto geometry = ini.value(kWindowSection, kGeometryKey))
        restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(*geometry)));
    const QList<int> parts = numbersOf(ini.value(kWindowSection, kSplitterKey), 2);
    if (!parts.isEmpty())
        m_splitter->setSizes(parts);
    m_goods->setColumnWidths(numbersOf(ini.value(kWindowSection, kColumnsKey), 4));
    m_exportDir = QString::fromStdString(ini.value(kWindowSection, kExportDirKey).value_or(""));
    const std::string earlier = ini.value(kWindowSection, kEarlierGoodsKey).value_or("");
    m_earlierGoods = earlier == kEarlierGoodsValues[1]   ? EarlierGoods::Clear
                     : earlier == kEarlierGoodsValues[2] ? EarlierGoods::Keep
                                                         : EarlierGoods::Ask;
}

void MainWindow::storeLayout(IniFile& ini) const
{
    ini.setValue(kWindowSection, kGeometryKey, saveGeometry().toBase64().toStdString());
    ini.setValue(kWindowSection, kSplitterKey, joined(m_splitter->sizes()).toStdString());
    ini.setValue(kWindowSection, kColumnsKey, joined(m_goods->columnWidths()).toStdString());
    if (!m_exportDir.isEmpty())
        ini.setValue(kWindowSection, kExportDirKey, m_exportDir.toStdString());
    ini.setValue(kWindowSection, kEarlierGoodsKey, kEarlierGoodsValues[static_cast<int>(m_earlierGoods)]);
}

QString MainWindow::proposedExportPath() const
{
    QString folder = m_exportDir;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QString::fromStdString(m_options.exeDir);
        const QFileInfo program(folder);
        // An installed program's folder (/usr/bin) is no place for the user's
        // files, even where root could write there.
        if (folder.isEmpty() || !program.isDir() || !program.isWritable() ||
            isInstalledProgram(m_options.exeDir))
            folder = QDir::homePath();
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmm"));
    return QDir(folder).filePath(QString::fromUtf8("商品_") + stamp + QStringLiteral(".csv"));
}

} // namespace zorvane::ui
