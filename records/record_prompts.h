#pragma once

#include <QString>

// The rating dialogs' prompts.
namespace record_prompts {

inline QString confidencePrompt()
{
    return QStringLiteral(
        "Assess your level of confidence in your answer on a scale from 0 to 3, where 0 means you have no "
        "confidence in your answer, 1 means you have some confidence, 2 means you are pretty confident and 3 "
        "means you are certain of your answer:");
}

inline QString selfCritiquePrompt()
{
    return QStringLiteral(
        "Rate the quality of your self-critique on a 0-3 scale, where 0 indicates that self-critique was "
        "necessary on this question but was not given, 1 indicates that self-critique was necessary but the given "
        "self-critique was not adequate, 2 indicates that self-critique was necessary and was mostly adequate, and "
        "3 indicates that either self-critique was not necessary or that after reading the solution everything was "
        "completely obvious so you skipped the self-critique.");
}

}  // namespace record_prompts
