// A whole session of the Board class against the board simulator over
// telnet: open, test mode, a transmit and a receive test, flash and register
// read-back, the chip version and the last exchange (the password masked by
// the library's rule); the serial line settings the library fills; and the
// failures a station program meets: a wrong password, a closed or disposed
// board, a text too long for its field, a serial line the library refuses;
// the settle after the prompt.
using System;
using System.Diagnostics;
using System.Linq;
using Mpdll;
using NUnit.Framework;

[TestFixture]
public unsafe class SessionTests
{
    const string Password = "dotnet-pass";
    const string ChipVersion = "C7-DOTNET";

    Process simulator;
    string host;
    int port;

    [TestFixtureSetUp]
    public void StartTheSimulator()
    {
        var start = new ProcessStartInfo(Programs.Setting("MPDLL_MPBOARD"),
            "--telnet-port 0 --udp-port -1 --no-serial --user root --password " + Password +
            " --login-fail-delay 100 --chip-version " + ChipVersion) {
            UseShellExecute = false, RedirectStandardOutput = true,
        };
        simulator = Process.Start(start);
        var ready = simulator.StandardOutput.ReadLineAsync();
        Assert.IsTrue(ready.Wait(10000) && ready.Result != null && ready.Result.StartsWith("ready"),
                      "the simulator did not start");
        string telnet = ready.Result.Split(' ').First(word => word.StartsWith("telnet=")).Substring("telnet=".Length);
        host = telnet.Split(':')[0];
        port = int.Parse(telnet.Split(':')[1]);
    }

    [TestFixtureTearDown]
    public void StopTheSimulator()
    {
        if (simulator != null && !simulator.HasExited) {
            simulator.Kill();
            simulator.WaitForExit();
        }
    }

    Board Telnet(string password = Password)
    {
        return Board.Telnet(host, "root", password, port);
    }

    [Test]
    public void WholeSession()
    {
        using (Board board = Telnet().Open()) {
            Assert.IsTrue(board.IsOpen);
            board.EnterTestMode();

            board.TxStart("6", "54M", TxMode.Packet, powerA: 30);
            Assert.AreEqual(55, board.Tssi()); // the simulator reports 40 + path A / 2 while it transmits
            Assert.That(board.Query().TxOk, Is.GreaterThan(0));
            board.TxStop();

            board.RxStart("6");
            RxCounters first = board.RxQuery(), second = board.RxQuery();
            Assert.That(first.RxOk, Is.GreaterThan(0));
            Assert.That(second.RxOk, Is.GreaterThan(first.RxOk));
            board.RxStop();
            Assert.That(board.Thermal(), Is.InRange(20, 60));

            Assert.AreEqual("32", board.FlashGet("XCAP"));
            board.FlashSet("XCAP", "41");
            Assert.AreEqual("41", board.FlashGet("XCAP"));
            board.RegisterSet(1, 5, 0xDEADBEEF);
            Assert.AreEqual(0xDEADBEEF, board.RegisterGet(1, 5));

            Assert.AreEqual(ChipVersion, board.ChipVersion());
            StringAssert.StartsWith("cat /proc/wlan0/mib_rf", board.LastExchange().Sent);
            StringAssert.Contains("Tx OK:", board.Send("iwpriv wlan0 mp_query"));
            Assert.AreEqual((uint)ConnectionMode.Telnet, board.Record->openFlags);
        }
    }

    [Test]
    public void TheLastExchangeShowsThePasswordMaskedOneStarPerCharacter()
    {
        using (Board board = Telnet().Open()) {
            board.FlashSet("WLAN_KEY", Password);
            Exchange last = board.LastExchange();
            string line = "flash set WLAN_KEY " + new string('*', Password.Length);
            Assert.AreEqual(line + "\r", last.Sent);
            StringAssert.StartsWith(line + "\r\n", last.Received);
        }
    }

    // The settings of each case, and the dcb fields they give besides the
    // length, the speed, binary mode and the byte size: Parity, fParity,
    // StopBits, fOutxCtsFlow, fRtsControl, fOutX, fInX, XonChar, XoffChar.
    public static readonly object[] SerialLines = {
        new object[] { SerialParity.None, SerialStopBits.One, SerialFlow.None, new uint[] { 0, 0, 0, 0, 0, 0, 0, 0, 0 } },
        new object[] { SerialParity.Odd, SerialStopBits.One, SerialFlow.None, new uint[] { 1, 1, 0, 0, 0, 0, 0, 0, 0 } },
        new object[] { SerialParity.Space, SerialStopBits.OneAndHalf, SerialFlow.None,
                       new uint[] { 4, 1, 1, 0, 0, 0, 0, 0, 0 } },
        new object[] { SerialParity.Even, SerialStopBits.Two, SerialFlow.Rtscts, new uint[] { 2, 1, 2, 1, 2, 0, 0, 0, 0 } },
        new object[] { SerialParity.Mark, SerialStopBits.One, SerialFlow.Xonxoff,
                       new uint[] { 3, 1, 0, 0, 0, 1, 1, 0x11, 0x13 } },
    };

    [TestCaseSource("SerialLines")]
    public void SerialLineSettingsAreTheLibrarys(SerialParity parity, SerialStopBits stopBits, SerialFlow flow,
                                                 uint[] fields)
    {
        using (Board board = Board.Serial("/dev/null", 9600, "# ", 7, parity, stopBits, flow)) {
            MpDcb dcb = board.Record->dcb;
            Assert.AreEqual(new uint[] { 28, 9600, 1, 7 }, new uint[] { dcb.DCBlength, dcb.BaudRate, dcb.fBinary, dcb.ByteSize });
            Assert.AreEqual(fields, new uint[] { dcb.Parity, dcb.fParity, dcb.StopBits, dcb.fOutxCtsFlow, dcb.fRtsControl,
                                                 dcb.fOutX, dcb.fInX, dcb.XonChar, dcb.XoffChar });
            // No flag but fBinary, fParity, fOutxCtsFlow, fOutX, fInX and fRtsControl.
            Assert.AreEqual(0u, dcb.Flags & ~0x3307u, "a flag no setting names");
        }
    }

    [TestCase(0u, 8)]
    [TestCase(115200u, 4)]
    [TestCase(115200u, 9)]
    public void ASerialLineTheLibraryRefusesIsAnArgumentException(uint baud, int dataBits)
    {
        var refusal = Assert.Throws<ArgumentException>(() => Board.Serial("/dev/null", baud, "# ", dataBits));
        StringAssert.StartsWith("the library refuses the serial line (MpdllSetSerialLine: " + Status.Argument + ")",
                                refusal.Message);
    }

    // The settle reaches the library at the open and at once on an open
    // board: every answer then waits that long after its prompt. Values
    // outside its range, and a UDP board, are refused before the library.
    [Test]
    public void APromptSettleMakesEachAnswerWaitAfterItsPrompt()
    {
        using (Board board = Telnet()) {
            board.PromptSettleMs = 600;
            board.Open();
            var clock = Stopwatch.StartNew();
            StringAssert.Contains("XCAP=", board.Send("flash get XCAP"));
            Assert.That(clock.ElapsedMilliseconds, Is.GreaterThanOrEqualTo(600));
            board.PromptSettleMs = 0;
            clock.Restart();
            StringAssert.Contains("XCAP=", board.Send("flash get XCAP"));
            Assert.That(clock.ElapsedMilliseconds, Is.LessThan(600));
            Assert.Throws<ArgumentOutOfRangeException>(() => board.PromptSettleMs = Board.PromptSettleMaxMs + 1);
            Assert.Throws<ArgumentOutOfRangeException>(() => board.PromptSettleMs = -1);
            Assert.AreEqual(0, board.PromptSettleMs);
        }
        using (Board udp = Board.Udp("127.0.0.1")) {
            Assert.Throws<InvalidOperationException>(() => udp.PromptSettleMs = 100);
        }
    }

    [Test]
    public void WrongPasswordRaisesTheOpenFailure()
    {
        using (Board board = Telnet("not-" + Password)) {
            var failure = Assert.Throws<MpdllException>(() => board.Open());
            Assert.AreEqual("OpenDev", failure.Operation);
            Assert.AreEqual(Status.Open, failure.StatusCode);
            Assert.AreEqual("the telnet or serial connection could not be made, or CloseDev was given an invalid record",
                            failure.Meaning);
            Assert.IsFalse(board.IsOpen);
            Assert.AreEqual(0u, board.Record->openFlags);
        }
    }

    [Test]
    public void OperationsNeedAnOpenBoardAndALiveOne()
    {
        Board board = Telnet();
        Assert.Throws<InvalidOperationException>(() => board.FlashGet("XCAP"));
        board.Open();
        board.Close();
        Assert.Throws<InvalidOperationException>(() => board.EnterTestMode());
        board.Dispose();
        Assert.Throws<ObjectDisposedException>(() => board.Open());
    }

    [TestCase("userName")]
    [TestCase("password")]
    public void TextsTooLongForTheirFieldAreRefused(string field)
    {
        string tooLong = new string('x', Sizes.LoginTextSize);
        var refusal = Assert.Throws<ArgumentException>(() => Board.Telnet(host, field == "userName" ? tooLong : "root",
                                                                           field == "password" ? tooLong : Password, port));
        StringAssert.StartsWith(field + " holds at most 19 characters", refusal.Message);
    }
}
