#include "InfoTopics.h"

namespace InfoTopics {

QString Heading(InfoTopic topic)
{
    switch (topic) {
    case InfoTopic::General:
        return QStringLiteral("General:");
    case InfoTopic::Physical:
        return QStringLiteral("Physical:");
    case InfoTopic::Emotional:
        return QStringLiteral("Emotional:");
    case InfoTopic::Intellectual:
        return QStringLiteral("Intellectual:");
    }
    return {};
}

QString Text(InfoTopic topic)
{
    switch (topic) {
    case InfoTopic::General:
        return QStringLiteral(
            "This chart covers a range of days before and after your target day, which sits "
            "on the thicker centre line. The numbers from +100% at the top to -100% at the "
            "bottom give the position of each cycle on any day of that range. A rhythm at 0% "
            "is thought to have no particular impact on you. Near +100% a cycle gives you the "
            "maximum edge in its area of life, while near -100% it makes life in that area "
            "much more difficult and calls for patience. Whenever a cycle crosses the midline "
            "it marks a critical phase, a day of change and instability in that area.");
    case InfoTopic::Physical:
        return QStringLiteral(
            "The Physical cycle indicates your body's vitality, strength, stamina and general "
            "health. When it runs high you feel energetic, resilient and ready for hard work, "
            "sports and challenges. When the curve crosses the midline you enter a critical "
            "phase: you tire easily, your reactions may be slower than usual, and you should "
            "be especially cautious about accidents, heavy exertion and risky activities. A "
            "low physical cycle brings a high chance of depression and exhaustion, so plan "
            "for rest, sleep well and avoid overloading yourself.");
    case InfoTopic::Emotional:
        return QStringLiteral(
            "The Emotional cycle indicates mental stability and a positive outlook on life. "
            "It tracks your sentimentality and emotions, and how well you relate to other "
            "people and to the situations around you. When it is high you are friendlier, "
            "more cheerful and open to new friendships and relationships. On a critical day, "
            "when the curve crosses the midline, you may feel mentally unstable and touchy. "
            "When it is low you are relaxed and calmer, not prone to showing your emotions, "
            "and may prefer quiet, familiar company.");
    case InfoTopic::Intellectual:
        return QStringLiteral(
            "The Intellectual cycle stands for your analytic, verbal, symbolic and creative "
            "abilities, and for the logical, methodical analysis of situations. When it is "
            "high you are mentally sharp, learn new ideas quickly and have high "
            "concentration, which makes it a good time for study, planning and decisions. "
            "When it is low the mind tends to be illogical and you may suffer from a lack of "
            "concentration. On a critical day, when the curve crosses the midline, expect "
            "mental indecision and think twice before you commit.");
    }
    return {};
}

} // namespace InfoTopics
