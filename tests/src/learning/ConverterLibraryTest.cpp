#include <QTest>

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "ConverterLibrary.h"

Q_DECLARE_METATYPE(std::string)

namespace
{
// Whether the dynamic loader holds the library, without loading it.
bool resident(const char *fileName)
{
    void *handle = dlopen(fileName, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr)
        return false;
    dlclose(handle);
    return true;
}

std::string word(int us)
{
    char text[5];
    std::snprintf(text, sizeof text, "%04X", us);
    return text;
}

// One NEC frame of 32 bits, LSB first, as the duration text of one frame.
std::string necFrame(std::uint32_t bits)
{
    std::string text = word(9024) + word(4512);
    for (int i = 0; i < 32; ++i)
        text += word(564) + word((bits >> i & 1) != 0 ? 1692 : 564);
    return text + word(564) + "FEFE0014EDED";
}
}  // namespace

class ConverterLibraryTest : public QObject
{
    Q_OBJECT

private slots:
    void missingLibrary();
    void missingEntryUnloads();
    void successStaysLoaded();
    void exceptionUnloads();
    void noTextIsEmpty();
    void programLibraryLoadsByPlainName();
    void carrierGoesToTheLibraryThatTakesIt_data();
    void carrierGoesToTheLibraryThatTakesIt();
    void programLibraryTellsPioneerByCarrier_data();
    void programLibraryTellsPioneerByCarrier();
};

void ConverterLibraryTest::missingLibrary()
{
    ConverterLibrary library("libqlr_absent_converter.so");
    const Conversion conversion = library.convert("0100");
    QCOMPARE(conversion.status, Conversion::Status::LibraryMissing);
    QVERIFY(conversion.text.empty());
    QVERIFY(!conversion.error.empty());
    QVERIFY(!library.loaded());
}

void ConverterLibraryTest::missingEntryUnloads()
{
    ConverterLibrary library(QLR_NO_ENTRY_LIBRARY);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Conversion conversion = library.convert("0100");
        QCOMPARE(conversion.status, Conversion::Status::EntryMissing);
        QVERIFY(conversion.text.empty());
        QVERIFY(conversion.error.find("ConvertCode") != std::string::npos);
        QVERIFY(!library.loaded());
        QVERIFY(!resident(QLR_NO_ENTRY_LIBRARY));
    }
}

void ConverterLibraryTest::successStaysLoaded()
{
    QVERIFY(!resident(QLR_TEST_CONVERTER));
    {
        ConverterLibrary library(QLR_TEST_CONVERTER);
        const Conversion first = library.convert("00C6013A");
        QCOMPARE(first.status, Conversion::Status::Converted);
        QVERIFY(library.loaded());
        QVERIFY(resident(QLR_TEST_CONVERTER));
        // The library's buffer is overwritten by the next call; the first text was copied.
        const Conversion second = library.convert("FEFE0014EDED");
        QCOMPARE(first.text, std::string("2:00C6013A"));
        QCOMPARE(second.text, std::string("2:FEFE0014EDED"));
        QVERIFY(library.loaded());
    }
    QVERIFY(!resident(QLR_TEST_CONVERTER));
}

void ConverterLibraryTest::exceptionUnloads()
{
    ConverterLibrary library(QLR_TEST_CONVERTER);
    QCOMPARE(library.convert("0100").status, Conversion::Status::Converted);
    const Conversion raised = library.convert("raise");
    QCOMPARE(raised.status, Conversion::Status::Raised);
    QCOMPARE(raised.error, std::string("converter raised"));
    QVERIFY(raised.text.empty());
    QVERIFY(!library.loaded());
    QVERIFY(!resident(QLR_TEST_CONVERTER));
    // The next capture loads it afresh.
    const Conversion again = library.convert("0200");
    QCOMPARE(again.status, Conversion::Status::Converted);
    QCOMPARE(again.text, std::string("2:0200"));
}

void ConverterLibraryTest::noTextIsEmpty()
{
    ConverterLibrary library(QLR_TEST_CONVERTER);
    const Conversion conversion = library.convert("null");
    QCOMPARE(conversion.status, Conversion::Status::Converted);
    QVERIFY(conversion.text.empty());
    QVERIFY(library.loaded());
}

// The program's own converter lies in lib/ beside bin/: the run path finds it.
void ConverterLibraryTest::programLibraryLoadsByPlainName()
{
    ConverterLibrary library;
    const Conversion conversion = library.convert(std::string());
    QCOMPARE(conversion.status, Conversion::Status::Converted);
    QVERIFY(conversion.text.empty());
    QVERIFY(resident(ConverterLibrary::defaultFileName));
}

void ConverterLibraryTest::carrierGoesToTheLibraryThatTakesIt_data()
{
    QTest::addColumn<std::string>("fileName");
    QTest::addColumn<int>("carrierHz");
    QTest::addColumn<std::string>("formats");
    QTest::addColumn<std::string>("text");
    const std::string none;
    const std::string stored = "ABCDEF:0011";
    QTest::newRow("library without the carrier")
        << std::string(QLR_TEST_CONVERTER) << 38000 << none << std::string("2:0100");
    QTest::newRow("library with the carrier")
        << std::string(QLR_CARRIER_CONVERTER) << 38000 << none << std::string("2:0100@38000");
    QTest::newRow("carrier unknown") << std::string(QLR_CARRIER_CONVERTER) << 0 << none << std::string("2:0100@0");
    // Older libraries convert as before; the remote's formats go to one that takes them.
    QTest::newRow("formats, library without the carrier")
        << std::string(QLR_TEST_CONVERTER) << 38000 << stored << std::string("2:0100");
    QTest::newRow("formats, library with the carrier alone")
        << std::string(QLR_CARRIER_CONVERTER) << 38000 << stored << std::string("2:0100@38000");
    QTest::newRow("formats, library that takes them")
        << std::string(QLR_FORMATS_CONVERTER) << 38000 << stored << "2:0100@38000#" + stored;
    QTest::newRow("no formats held, library that takes them")
        << std::string(QLR_FORMATS_CONVERTER) << 38000 << none << std::string("2:0100@38000");
}

void ConverterLibraryTest::carrierGoesToTheLibraryThatTakesIt()
{
    QFETCH(std::string, fileName);
    QFETCH(int, carrierHz);
    QFETCH(std::string, formats);
    QFETCH(std::string, text);
    ConverterLibrary library(fileName);
    for (int call = 0; call < 2; ++call) {
        const Conversion conversion = library.convert("0100", carrierHz, formats);
        QCOMPARE(conversion.status, Conversion::Status::Converted);
        QCOMPARE(conversion.text, text);
    }
    // Without a carrier given, none is passed on.
    QVERIFY(library.convert("0100").text.find("@38000") == std::string::npos);
}

// Device 0x20 is no Pioneer device: only a carrier of 40 kHz makes the code Pioneer.
void ConverterLibraryTest::programLibraryTellsPioneerByCarrier_data()
{
    QTest::addColumn<int>("carrierHz");
    QTest::addColumn<std::string>("formatId");
    QTest::newRow("40 kHz") << 40000 << std::string("040000");
    QTest::newRow("38 kHz") << 38000 << std::string("010000");
    QTest::newRow("unknown") << 0 << std::string("010000");
}

void ConverterLibraryTest::programLibraryTellsPioneerByCarrier()
{
    QFETCH(int, carrierHz);
    QFETCH(std::string, formatId);
    ConverterLibrary library;
    const Conversion conversion = library.convert(necFrame(0xEF10DF20), carrierHz);
    QCOMPARE(conversion.status, Conversion::Status::Converted);
    QCOMPARE(conversion.text.substr(0, 8), formatId + "::");
}

QTEST_GUILESS_MAIN(ConverterLibraryTest)
#include "ConverterLibraryTest.moc"
