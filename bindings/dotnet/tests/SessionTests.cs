// A whole session of the Board class against the board simulator over
// telnet: open, test mode, a transmit and a receive test, flash and register
// read-back, the chip version and the last exchange; and the failures a
// station program meets: a wrong password, a closed or disposed board, a
// text too long for its field.
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
