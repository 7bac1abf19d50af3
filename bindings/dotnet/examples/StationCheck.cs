// A station check on one board, with Mpdll.cs alone:
//   mcs -unsafe StationCheck.cs Mpdll.cs && mono StationCheck.exe HOST[:PORT] PASSWORD
using System;
using Mpdll;

static class StationCheck
{
    static int Main(string[] arguments)
    {
        if (arguments.Length != 2) {
            Console.Error.WriteLine("usage: StationCheck HOST[:PORT] PASSWORD");
            return 2;
        }
        string[] where = arguments[0].Split(':');
        int port = where.Length > 1 ? int.Parse(where[1]) : 0;
        try {
            using (Board board = Board.Telnet(where[0], "root", arguments[1], port).Open()) {
                board.EnterTestMode();
                board.TxStart("6", "54M", powerA: 30);
                Console.WriteLine("TSSI: " + board.Tssi() + " transmitted: " + board.Query().TxOk);
                board.TxStop();
                board.RxStart("6");
                Console.WriteLine("received: " + board.RxQuery().RxOk + " thermal: " + board.Thermal());
                Console.WriteLine("XCAP: " + board.FlashGet("XCAP") + " register 0/36: 0x" + board.RegisterGet(0, 36).ToString("x"));
                board.RxStop();
            }
            return 0;
        } catch (MpdllException failure) {
            Console.Error.WriteLine(failure.Operation + ": " + failure.StatusCode + ": " + failure.Meaning);
            return 1;
        }
    }
}
