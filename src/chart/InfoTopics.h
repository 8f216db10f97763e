#pragma once

#include <QString>

// What the explanation panel can say: how to read the chart, and what each cycle stands for.
enum class InfoTopic { General, Physical, Emotional, Intellectual };

namespace InfoTopics {

QString Heading(InfoTopic topic);
QString Text(InfoTopic topic);

} // namespace InfoTopics
