// The setting classes: a name (the key in "parameters.xml" or a button's caption),
// typed values with limits, and the child control a setting may own.
#pragma once

#include "platform/win32.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <fmt/format.h>

// A number or flag that several threads read while one writes: an atomic that
// reads and assigns like the plain value it holds.
template <class T>
class SharedValue {
public:
    explicit SharedValue(T initial) : m_value(initial) {}
    SharedValue(const SharedValue&) = delete;
    SharedValue& operator=(const SharedValue&) = delete;

    operator T() const { return m_value.load(); }
    T load() const { return m_value.load(); }
    SharedValue& operator=(T newValue)
    {
        m_value.store(newValue);
        return *this;
    }

private:
    std::atomic<T> m_value;
};

template <class T>
struct fmt::formatter<SharedValue<T>> : fmt::formatter<T> {
    auto format(const SharedValue<T>& value, format_context& ctx) const
    {
        return fmt::formatter<T>::format(value.load(), ctx);
    }
};

// A text that several threads read while another replaces it. A reader always gets a
// copy taken under the text's own lock, so it never sees a string while it changes.
class SharedText {
public:
    explicit SharedText(std::string initial) : m_text(std::move(initial)) {}
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

    operator std::string() const { return load(); }
    std::string load() const
    {
        const std::lock_guard lock(m_mutex);
        return m_text;
    }
    bool empty() const
    {
        const std::lock_guard lock(m_mutex);
        return m_text.empty();
    }
    // The old text is freed after the lock is released.
    SharedText& operator=(std::string newText)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_text.swap(newText);
        }
        return *this;
    }
    void clear() { *this = std::string(); }

    friend bool operator==(const SharedText& text, std::string_view other)
    {
        const std::lock_guard lock(text.m_mutex);
        return text.m_text == other;
    }
    friend std::ostream& operator<<(std::ostream& out, const SharedText& text) { return out << text.load(); }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

template <>
struct fmt::formatter<SharedText> : fmt::formatter<std::string_view> {
    auto format(const SharedText& text, format_context& ctx) const
    {
        return fmt::formatter<std::string_view>::format(text.load(), ctx);
    }
};

class Parameter {
public:
    explicit Parameter(std::string key) : name(std::move(key)) {}
    virtual ~Parameter() = default;
    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    std::string name;
};

// Settings are read by other threads while the GUI thread or the start-up thread changes
// them: numbers and flags are atomic, texts are handed out as copies.
template <class T>
using ParameterValue = std::conditional_t<std::is_arithmetic_v<T>, SharedValue<T>, SharedText>;

template <class T>
class ValueParameter : public Parameter {
public:
    ValueParameter(std::string key, T defaultValue_, T minValue_, T maxValue_)
        : Parameter(std::move(key)), defaultValue(defaultValue_), minValue(minValue_), maxValue(maxValue_),
          value(defaultValue)
    {
    }

    T defaultValue;
    T minValue;
    T maxValue;
    ParameterValue<T> value;
};

class BoolParameter : public ValueParameter<bool> {
public:
    BoolParameter(std::string key, bool defaultValue_)
        : ValueParameter(std::move(key), defaultValue_, defaultValue_, defaultValue_)
    {
    }
};

class IntParameter : public ValueParameter<std::int32_t> {
public:
    IntParameter(std::string key, std::int32_t defaultValue_, std::int32_t minValue_, std::int32_t maxValue_)
        : ValueParameter(std::move(key), defaultValue_, minValue_, maxValue_)
    {
    }
};

class FloatParameter : public ValueParameter<float> {
public:
    FloatParameter(std::string key, float defaultValue_, float minValue_, float maxValue_)
        : ValueParameter(std::move(key), defaultValue_, minValue_, maxValue_)
    {
    }
};

class StringParameter : public ValueParameter<std::string> {
public:
    StringParameter(std::string key, const std::string& defaultValue_)
        : ValueParameter(std::move(key), defaultValue_, defaultValue_, defaultValue_)
    {
    }
};

// The child control of a setting or button in the main window.
class GuiControl {
public:
    GuiControl(std::uint16_t controlId_, std::int32_t y_) : controlId(controlId_), y(y_) {}
    virtual ~GuiControl() = default;
    GuiControl(const GuiControl&) = delete;
    GuiControl& operator=(const GuiControl&) = delete;

    std::uint16_t controlId;
    std::int32_t y;                   // top of the control's row, client pixels
    HWND hwnd = nullptr;              // null until the main window creates the control
    WNDPROC previousProc = nullptr;   // window procedure replaced by subclassing an edit box
};

// A check box.
class BoolGuiParameter : public BoolParameter, public GuiControl {
public:
    BoolGuiParameter(std::string key, bool defaultValue_, std::uint16_t controlId_, std::int32_t y_)
        : BoolParameter(std::move(key), defaultValue_), GuiControl(controlId_, y_)
    {
    }
};

// A drop-down list of numbers; the limits are the first and the last option.
class IntGuiParameter : public IntParameter, public GuiControl {
public:
    IntGuiParameter(std::string key, std::int32_t defaultValue_, std::vector<std::int32_t> options,
                    std::uint16_t controlId_, std::int32_t y_)
        : IntParameter(std::move(key), defaultValue_, options.front(), options.back()), GuiControl(controlId_, y_),
          optionValues(std::move(options))
    {
    }

    std::vector<std::int32_t> optionValues;
};

// A drop-down list of fractional numbers; the limits are the first and the last option.
class FloatGuiParameter : public FloatParameter, public GuiControl {
public:
    FloatGuiParameter(std::string key, float defaultValue_, std::vector<float> options, std::uint16_t controlId_,
                      std::int32_t y_)
        : FloatParameter(std::move(key), defaultValue_, options.front(), options.back()),
          GuiControl(controlId_, y_), optionValues(std::move(options))
    {
    }

    std::vector<float> optionValues;
};

// An edit box.
class StringGuiParameter : public StringParameter, public GuiControl {
public:
    StringGuiParameter(std::string key, const std::string& defaultValue_, std::uint16_t controlId_, std::int32_t y_)
        : StringParameter(std::move(key), defaultValue_), GuiControl(controlId_, y_)
    {
    }
};

// A drop-down list of fixed texts.
class ChoiceParameter : public StringGuiParameter {
public:
    ChoiceParameter(std::string key, const std::string& defaultValue_, std::vector<std::string> choices_,
                    std::uint16_t controlId_, std::int32_t y_)
        : StringGuiParameter(std::move(key), defaultValue_, controlId_, y_), choices(std::move(choices_))
    {
    }

    std::vector<std::string> choices;
};

// A drop-down list of texts filled at run time.
class SharedChoiceParameter : public StringGuiParameter {
public:
    SharedChoiceParameter(std::string key, const std::string& defaultValue_,
                          std::shared_ptr<std::vector<std::string>> entries, std::uint16_t controlId_,
                          std::int32_t y_)
        : StringGuiParameter(std::move(key), defaultValue_, controlId_, y_), sharedEntries(std::move(entries))
    {
    }

    std::shared_ptr<std::vector<std::string>> sharedEntries;
};

// A push button; its name is the caption.
class GuiButton : public Parameter, public GuiControl {
public:
    GuiButton(std::string caption, std::uint16_t controlId_, std::int32_t y_)
        : Parameter(std::move(caption)), GuiControl(controlId_, y_)
    {
    }
};
