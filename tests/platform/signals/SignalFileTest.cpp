#include <QtTest>

#include "SignalFile.h"

using Durations = std::vector<double>;
Q_DECLARE_METATYPE(Durations)

class SignalFileTest : public QObject
{
    Q_OBJECT

private slots:
    void readsSignals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("carrier");
        QTest::addColumn<Durations>("durations");
        QTest::newRow("plain") << "9000 4500 560" << 38000 << Durations{9000, 4500, 560};
        QTest::newRow("carrier") << "carrier=36000\n9000 4500" << 36000 << Durations{9000, 4500};
        QTest::newRow("no carrier") << "carrier=0 100" << 0 << Durations{100};
        QTest::newRow("fractions and exponents") << "562.5 1.6875e3" << 38000 << Durations{562.5, 1687.5};
        QTest::newRow("any white space") << "\t 9000\r\n4500\f560\v " << 38000 << Durations{9000, 4500, 560};
        QTest::newRow("comments") << "# power key\ncarrier=38000 # carrier\n9000 4500#header\n560" << 38000
                                  << Durations{9000, 4500, 560};
        QTest::newRow("ten seconds") << "10000000" << 38000 << Durations{10e6};
        // Frequency word 006D: 109 x 0.241246 us = 26.2958 us per carrier period, 38029 Hz.
        QTest::newRow("once only") << "0000 006D 0002 0000 0156 00AB 0015 0040" << 38029
                                   << Durations{8993.17, 4496.59, 552.21, 1682.93};
        QTest::newRow("repeat only") << "0000 006d 0000 0001 0156 0055" << 38029 << Durations{8993.17, 2235.14};
        // Once then repeat, in that order.
        QTest::newRow("once and repeat") << "0000 006D 0001 0001\n0156 00AB\n0156 0055" << 38029
                                         << Durations{8993.17, 4496.59, 8993.17, 2235.14};
        // 0068: 104 x 0.241246 = 25.0896 us, 39857 Hz.
        QTest::newRow("other carrier") << "0000 0068 0001 0000 0010 0020" << 39857 << Durations{401.43, 802.87};
    }

    void readsSignals()
    {
        QFETCH(QString, text);
        QFETCH(int, carrier);
        QFETCH(Durations, durations);
        InfraredSignal signal;
        std::string error;
        QVERIFY2(SignalFile::parse(text.toStdString(), signal, &error), error.c_str());
        QCOMPARE(signal.carrierHz, carrier);
        QCOMPARE(signal.durations.size(), durations.size());
        for (std::size_t i = 0; i < durations.size(); ++i)
            QVERIFY2(std::abs(signal.durations[i] - durations[i]) < 0.01, qPrintable(QString::number(i)));
    }

    void refusesMalformedSignals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem");
        QTest::newRow("empty") << ""
                               << "no durations";
        QTest::newRow("comment only") << "# nothing\n"
                                      << "no durations";
        QTest::newRow("carrier only") << "carrier=38000"
                                      << "no durations";
        QTest::newRow("zero") << "9000 0 560"
                              << "'0'";
        QTest::newRow("negative") << "9000 -4500"
                                  << "'-4500'";
        QTest::newRow("word") << "9000 long"
                              << "'long'";
        QTest::newRow("unit") << "9000us"
                              << "'9000us'";
        QTest::newRow("infinite") << "inf"
                                  << "'inf'";
        QTest::newRow("not a number") << "nan"
                                      << "'nan'";
        QTest::newRow("too long") << "10000001"
                                  << "10 s";
        QTest::newRow("comma") << "9000,4500"
                               << "'9000,4500'";
        QTest::newRow("carrier not a number") << "carrier=38k 9000"
                                              << "carrier";
        QTest::newRow("carrier negative") << "carrier=-1 9000"
                                          << "carrier";
        QTest::newRow("carrier later") << "9000 carrier=38000"
                                       << "'carrier=38000'";
        QTest::newRow("pronto short") << "0000 006D 0001"
                                      << "header";
        QTest::newRow("pronto count mismatch") << "0000 006D 0002 0000 0156 00AB"
                                               << "announces 4";
        QTest::newRow("pronto extra words") << "0000 006D 0001 0000 0156 00AB 0015"
                                            << "found 3";
        QTest::newRow("pronto no pairs") << "0000 006D 0000 0000"
                                         << "no burst pairs";
        QTest::newRow("pronto frequency 0") << "0000 0000 0001 0000 0156 00AB"
                                            << "frequency";
        QTest::newRow("pronto carrier too high") << "0000 0001 0001 0000 0156 00AB"
                                                 << "carrier";
        QTest::newRow("pronto burst 0") << "0000 006D 0001 0000 0156 0000"
                                        << "'0000'";
        QTest::newRow("pronto not hex") << "0000 006D 0001 0000 0156 00AG"
                                        << "'00AG'";
        QTest::newRow("pronto 5 digits") << "0000 006D 0001 0000 00156 00AB"
                                         << "'00156'";
    }

    void refusesMalformedSignals()
    {
        QFETCH(QString, text);
        QFETCH(QString, problem);
        InfraredSignal signal{1234, {1, 2}};
        std::string error;
        QVERIFY(!SignalFile::parse(text.toStdString(), signal, &error));
        QVERIFY2(QString::fromStdString(error).contains(problem), error.c_str());
        QVERIFY(error.find('\n') == std::string::npos);
        QCOMPARE(signal.carrierHz, 1234);
    }

    void boundsTheNumberOfDurations()
    {
        std::string text;
        for (std::size_t i = 0; i < SignalFile::maxDurations; ++i)
            text += "560 ";
        InfraredSignal signal;
        std::string error;
        QVERIFY(SignalFile::parse(text, signal, &error));
        QCOMPARE(signal.durations.size(), SignalFile::maxDurations);
        QVERIFY(!SignalFile::parse(text + "560", signal, &error));
        QVERIFY(QString::fromStdString(error).contains("too many"));
    }

    // What the command line sends is what the server reads, to the last bit.
    void formatReadsBackExactly()
    {
        InfraredSignal signal;
        std::string error;
        QVERIFY(SignalFile::parse("0000 006D 0001 0001 0156 00AB 0015 0040", signal, &error));
        const std::string text = SignalFile::format(signal);
        QVERIFY(text.starts_with("carrier=38029 "));
        InfraredSignal back;
        QVERIFY(SignalFile::parseDurations(text, back, &error));
        QCOMPARE(back.carrierHz, signal.carrierHz);
        QCOMPARE(back.durations, signal.durations);
        QVERIFY(!SignalFile::parseDurations("0000 006D 0001 0000 0156 00AB", back, &error));
    }
};

QTEST_APPLESS_MAIN(SignalFileTest)
#include "SignalFileTest.moc"
