"""Boards in a forked child: the locks start free there, and boards the parent
had open count as closed.

A thread of the parent may have held a board's lock at the fork; that thread does not exist in the child, so the child would wait
for it for ever. The child gets free locks instead. An open board's
connection stays the parent's: in the child the board is closed without
closing the connection (nothing is sent, the parent's connection is not
disturbed), and opening it there makes a connection of the child's own.
"""
import os
import weakref

_boards = weakref.WeakSet()


def track(board):
    """Has board's locks reset in forked children."""
    _boards.add(board)


def _after_fork_in_child():
    for board in list(_boards):
        board._after_fork_in_child()


if hasattr(os, "register_at_fork"):
    os.register_at_fork(after_in_child=_after_fork_in_child)
