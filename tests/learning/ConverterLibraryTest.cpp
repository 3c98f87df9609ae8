#include <QTest>

#include <dlfcn.h>

#include <string>

#include "ConverterLibrary.h"

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

QTEST_GUILESS_MAIN(ConverterLibraryTest)
#include "ConverterLibraryTest.moc"
