#include "ui/history_text.h"

#include <QByteArray>

#include <string_view>

#include "history/history_store.h"

namespace zorvane::ui {

QString readableAddress(const std::string& address)
{
    const QString raw = QString::fromStdString(address);
    QString text = QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray::fromStdString(address)));
    // A percent escape of another encoding (GBK, say) would turn into
    // replacement marks: the escaped form at least reads as it was typed.
    if (text.contains(QChar::ReplacementCharacter) && !raw.contains(QChar::ReplacementCharacter))
        text = raw;
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return text;
}

QString elideMiddle(const QString& text, int maxChars)
{
    if (text.size() <= maxChars || maxChars < 2)
        return text;
    qsizetype head = (maxChars - 1) / 2;
    qsizetype tail = maxChars - 1 - head;
    if (text.at(head - 1).isHighSurrogate())
        --head;
    if (text.at(text.size() - tail).isLowSurrogate())
        --tail;
    return text.left(head) + QChar(0x2026) + text.right(tail);
}

QString walkEndText(const std::string& endReason)
{
    static constexpr std::pair<std::string_view, const char*> kNames[] = {
        {"finished", "已完成"},     {"page-limit", "达到页数限制"},        {"coupon-expired", "优惠券已过期"},
        {"login-page", "需要登录"}, {"paused-itself", "自动暂停"},         {"paused", "已暂停"},
        {"stopped", "已停止"},      {"lasting-failure", "失败，重试无用"},
    };
    for (const auto& [stored, words] : kNames) {
        if (endReason == stored)
            return QString::fromUtf8(words);
    }
    return QString::fromStdString(endReason);
}

QString historyMenuCaption(const WalkSummary& walk)
{
    QString caption = QString::fromUtf8("%1  %2  %3件")
                          .arg(QString::fromStdString(formatLocalTime(walk.startedMs)),
                               elideMiddle(readableAddress(walk.address), kShownAddressChars))
                          .arg(walk.goodsCount);
    return caption.replace(u'&', QStringLiteral("&&"));
}

} // namespace zorvane::ui
