#include "OriginalRemote.h"

#include <algorithm>

#include "KnownProtocols.h"
#include "SignalFile.h"

namespace
{
std::optional<int> valueOf(const ProtocolCodec::Fields &fields, std::string_view name)
{
    const auto found = std::find_if(fields.begin(), fields.end(), [name](const auto &f) { return f.first == name; });
    if (found == fields.end())
        return std::nullopt;
    return found->second;
}

std::string described(const std::string &protocol, const ProtocolCodec::Fields &fields)
{
    std::string text = protocol;
    for (const auto &[name, value] : fields)
        text += " " + name + "=" + std::to_string(value);
    return text;
}
}  // namespace

bool OriginalRemote::select(std::size_t device)
{
    if (device >= OriginalDevices::all().size())
        return false;
    m_device = device;
    return true;
}

const OriginalDevice &OriginalRemote::device() const
{
    return OriginalDevices::all()[m_device];
}

ProtocolCodec::Fields OriginalRemote::fieldsOf(const OriginalDevice &device, int function)
{
    ProtocolCodec::Fields fields = device.fields;
    fields.emplace_back("F", function);
    // The IRP defaults of the NEC family: S=255-D for NEC1, S=D for NECx1,
    // and E=255-F for both (the -f16 variants name E themselves).
    const std::string &p = device.protocol;
    if (p == "NEC1" || p == "NEC2" || p == "NECx1" || p == "NECx2") {
        const int d = valueOf(fields, "D").value_or(0);
        if (!valueOf(fields, "S"))
            fields.emplace_back("S", p.starts_with("NECx") ? d : 255 - d);
        fields.emplace_back("E", 255 - function);
    }
    return fields;
}

std::optional<OriginalRemote::Press> OriginalRemote::press(OriginalKey key, std::string *error)
{
    const OriginalDevice &dev = device();
    const std::optional<int> function = dev.function(key);
    if (!function) {
        *error = dev.name + " has no " + std::string(OriginalKeys::name(key)) + " key";
        return std::nullopt;
    }
    std::optional<KnownCode> code = KnownProtocols::make(dev.protocol, fieldsOf(dev, *function), repeatFrames);
    const ProtocolCodec *codec = code ? KnownProtocols::codecFor(code->formatId) : nullptr;
    if (!codec) {
        *error =
            "the fields of " + dev.name + " " + std::string(OriginalKeys::name(key)) + " do not fit " + dev.protocol;
        return std::nullopt;
    }
    ProtocolCodec::Fields shown = dev.fields;
    shown.emplace_back("F", *function);
    if (valueOf(codec->fields(*code), "T")) {
        code->toggle = m_toggle;
        shown.emplace_back("T", m_toggle);
        m_toggle ^= 1;
    }
    std::optional<IrSignal> signal = KnownProtocols::encode(*code);
    if (!signal) {
        *error = dev.protocol + " cannot send " + described(dev.protocol, shown);
        return std::nullopt;
    }
    Press press;
    press.signal = std::move(*signal);
    press.description = described(dev.protocol, shown);
    InfraredSignal infrared;
    infrared.carrierHz = press.signal.carrierHz;
    for (const int duration : press.signal.flatDurations())
        infrared.durations.push_back(duration);
    press.request = "press " + SignalFile::format(infrared);
    return press;
}
