#pragma once

#include <QString>
#include <vector>

// The table of user-visible texts, numbered 0 to 3000; numbers the phrase file does not
// give read as empty text.
class Phrases
{
public:
    static constexpr int Count = 3001;

    Phrases() : m_texts(Count) {}
    const QString& operator[](int number) const;
    void set(int number, const QString& text);
    void clear();

private:
    std::vector<QString> m_texts;
};
