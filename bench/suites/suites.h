// The benchmark groups of bench_mpdll; main registers them in this order.
#pragma once

namespace mpbench {
void register_round_trips();
void register_growth();
void register_operations();
void register_idle();
void register_log_handler();
}  // namespace mpbench
