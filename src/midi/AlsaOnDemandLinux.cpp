#include "AlsaOnDemand.h"

#include <alsa/asoundlib.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace
{
    struct Library
    {
        Library()
        {
            const char* chosen = std::getenv ("VESK_ALSA_LIBRARY");
            const std::string name = chosen != nullptr && *chosen != 0 ? chosen : "libasound.so.2";
            handle = dlopen (name.c_str(), RTLD_NOW | RTLD_LOCAL);

            if (handle == nullptr)
            {
                const char* why = dlerror();
                problem = why != nullptr ? why : "cannot load " + name;
                std::fprintf (stderr, "VeskEdit: MIDI is off: %s\n", problem.c_str());
            }
        }

        void* handle = nullptr;
        std::string problem;
    };

    std::atomic<bool> tried { false };

    Library& library()
    {
        static Library loaded;
        tried = true;
        return loaded;
    }

    void* symbol (const char* name)
    {
        auto& loaded = library();
        return loaded.handle != nullptr ? dlsym (loaded.handle, name) : nullptr;
    }

    // The answer of a sequencer that is not there, for calls that return a count or a code.
    constexpr int absent = -ENOENT;
}

bool AlsaOnDemand::isLoaded()
{
    return tried && library().handle != nullptr;
}

std::string AlsaOnDemand::problem()
{
    return tried ? library().problem : std::string();
}

// Each function looks its namesake up once, at its first call.
#define VESK_ALSA(result, name, failure, parameters, arguments)                       \
    extern "C" result name parameters                                                 \
    {                                                                                 \
        static const auto real = reinterpret_cast<decltype (&name)> (symbol (#name)); \
        return real != nullptr ? real arguments : failure;                            \
    }

#define VESK_ALSA_VOID(name, parameters, arguments)                                   \
    extern "C" void name parameters                                                   \
    {                                                                                 \
        static const auto real = reinterpret_cast<decltype (&name)> (symbol (#name)); \
        if (real != nullptr)                                                          \
            real arguments;                                                           \
    }

// Freeing the configuration is the one call that never loads the library: there is nothing to free.
extern "C" int snd_config_update_free_global()
{
    if (! AlsaOnDemand::isLoaded())
        return 0;

    static const auto real = reinterpret_cast<decltype (&snd_config_update_free_global)> (symbol ("snd_config_update_free_global"));
    return real != nullptr ? real() : 0;
}

extern "C" const char* snd_strerror (int errnum)
{
    static const auto real = reinterpret_cast<decltype (&snd_strerror)> (symbol ("snd_strerror"));
    return real != nullptr ? real (errnum) : "ALSA's library could not be loaded";
}

VESK_ALSA (int, snd_lib_error_set_handler, 0, (snd_lib_error_handler_t h), (h))
VESK_ALSA (int, snd_card_next, absent, (int* card), (card))

// Sound cards, for the device manager's list of audio devices.
VESK_ALSA (int, snd_ctl_open, absent, (snd_ctl_t * *ctl, const char* name, int mode), (ctl, name, mode))
VESK_ALSA (int, snd_ctl_close, absent, (snd_ctl_t * ctl), (ctl))
VESK_ALSA (int, snd_ctl_card_info, absent, (snd_ctl_t * ctl, snd_ctl_card_info_t* info), (ctl, info))
VESK_ALSA (const char*, snd_ctl_card_info_get_id, nullptr, (const snd_ctl_card_info_t* obj), (obj))
VESK_ALSA (const char*, snd_ctl_card_info_get_name, nullptr, (const snd_ctl_card_info_t* obj), (obj))
VESK_ALSA (size_t, snd_ctl_card_info_sizeof, 0, (), ())
VESK_ALSA (int, snd_ctl_pcm_info, absent, (snd_ctl_t * ctl, snd_pcm_info_t* info), (ctl, info))
VESK_ALSA (int, snd_ctl_pcm_next_device, absent, (snd_ctl_t * ctl, int* device), (ctl, device))
VESK_ALSA (int, snd_device_name_hint, absent, (int card, const char* iface, void*** hints), (card, iface, hints))
VESK_ALSA (char*, snd_device_name_get_hint, nullptr, (const void* hint, const char* id), (hint, id))
VESK_ALSA (int, snd_device_name_free_hint, absent, (void** hints), (hints))

// Audio streams: linked with the device manager, never opened by this program.
VESK_ALSA (int, snd_pcm_open, absent, (snd_pcm_t * *pcm, const char* name, snd_pcm_stream_t stream, int mode), (pcm, name, stream, mode))
VESK_ALSA (int, snd_pcm_close, absent, (snd_pcm_t * pcm), (pcm))
VESK_ALSA (int, snd_pcm_link, absent, (snd_pcm_t * pcm1, snd_pcm_t* pcm2), (pcm1, pcm2))
VESK_ALSA (int, snd_pcm_prepare, absent, (snd_pcm_t * pcm), (pcm))
VESK_ALSA (int, snd_pcm_recover, absent, (snd_pcm_t * pcm, int err, int silent), (pcm, err, silent))
VESK_ALSA (int, snd_pcm_wait, absent, (snd_pcm_t * pcm, int timeout), (pcm, timeout))
VESK_ALSA (snd_pcm_sframes_t, snd_pcm_avail_update, absent, (snd_pcm_t * pcm), (pcm))
VESK_ALSA (snd_pcm_sframes_t, snd_pcm_readi, absent, (snd_pcm_t * pcm, void* buffer, snd_pcm_uframes_t size), (pcm, buffer, size))
VESK_ALSA (snd_pcm_sframes_t, snd_pcm_readn, absent, (snd_pcm_t * pcm, void** bufs, snd_pcm_uframes_t size), (pcm, bufs, size))
VESK_ALSA (snd_pcm_sframes_t, snd_pcm_writei, absent, (snd_pcm_t * pcm, const void* buffer, snd_pcm_uframes_t size), (pcm, buffer, size))
VESK_ALSA (snd_pcm_sframes_t, snd_pcm_writen, absent, (snd_pcm_t * pcm, void** bufs, snd_pcm_uframes_t size), (pcm, bufs, size))
VESK_ALSA (int, snd_pcm_hw_params, absent, (snd_pcm_t * pcm, snd_pcm_hw_params_t* params), (pcm, params))
VESK_ALSA (int, snd_pcm_hw_params_any, absent, (snd_pcm_t * pcm, snd_pcm_hw_params_t* params), (pcm, params))
VESK_ALSA (size_t, snd_pcm_hw_params_sizeof, 0, (), ())
VESK_ALSA (int, snd_pcm_hw_params_get_channels_max, absent, (const snd_pcm_hw_params_t* params, unsigned int* val), (params, val))
VESK_ALSA (int, snd_pcm_hw_params_get_channels_min, absent, (const snd_pcm_hw_params_t* params, unsigned int* val), (params, val))
VESK_ALSA (int, snd_pcm_hw_params_get_period_size, absent, (const snd_pcm_hw_params_t* params, snd_pcm_uframes_t* frames, int* dir), (params, frames, dir))
VESK_ALSA (int, snd_pcm_hw_params_get_periods, absent, (const snd_pcm_hw_params_t* params, unsigned int* val, int* dir), (params, val, dir))
VESK_ALSA (int, snd_pcm_hw_params_set_access, absent, (snd_pcm_t * pcm, snd_pcm_hw_params_t* params, snd_pcm_access_t access), (pcm, params, access))
VESK_ALSA (int, snd_pcm_hw_params_set_channels, absent, (snd_pcm_t * pcm, snd_pcm_hw_params_t* params, unsigned int val), (pcm, params, val))
VESK_ALSA (int, snd_pcm_hw_params_set_format, absent, (snd_pcm_t * pcm, snd_pcm_hw_params_t* params, snd_pcm_format_t val), (pcm, params, val))
VESK_ALSA (int, snd_pcm_hw_params_set_period_size_near, absent, (snd_pcm_t * pcm, snd_pcm_hw_params_t* params, snd_pcm_uframes_t* val, int* dir), (pcm, params, val, dir))
VESK_ALSA (int, snd_pcm_hw_params_set_periods_near, absent, (snd_pcm_t * pcm, snd_pcm_hw_params_t* params, unsigned int* val, int* dir), (pcm, params, val, dir))
VESK_ALSA (int, snd_pcm_hw_params_set_rate_near, absent, (snd_pcm_t * pcm, snd_pcm_hw_params_t* params, unsigned int* val, int* dir), (pcm, params, val, dir))
VESK_ALSA (int, snd_pcm_hw_params_test_rate, absent, (snd_pcm_t * pcm, snd_pcm_hw_params_t* params, unsigned int val, int dir), (pcm, params, val, dir))
VESK_ALSA (const char*, snd_pcm_info_get_name, nullptr, (const snd_pcm_info_t* obj), (obj))
VESK_ALSA (const char*, snd_pcm_info_get_subdevice_name, nullptr, (const snd_pcm_info_t* obj), (obj))
VESK_ALSA (unsigned int, snd_pcm_info_get_subdevices_count, 0, (const snd_pcm_info_t* obj), (obj))
VESK_ALSA_VOID (snd_pcm_info_set_device, (snd_pcm_info_t * obj, unsigned int val), (obj, val))
VESK_ALSA_VOID (snd_pcm_info_set_stream, (snd_pcm_info_t * obj, snd_pcm_stream_t val), (obj, val))
VESK_ALSA_VOID (snd_pcm_info_set_subdevice, (snd_pcm_info_t * obj, unsigned int val), (obj, val))
VESK_ALSA (size_t, snd_pcm_info_sizeof, 0, (), ())
VESK_ALSA (int, snd_pcm_sw_params, absent, (snd_pcm_t * pcm, snd_pcm_sw_params_t* params), (pcm, params))
VESK_ALSA (int, snd_pcm_sw_params_current, absent, (snd_pcm_t * pcm, snd_pcm_sw_params_t* params), (pcm, params))
VESK_ALSA (int, snd_pcm_sw_params_get_boundary, absent, (const snd_pcm_sw_params_t* params, snd_pcm_uframes_t* val), (params, val))
VESK_ALSA (int, snd_pcm_sw_params_set_silence_size, absent, (snd_pcm_t * pcm, snd_pcm_sw_params_t* params, snd_pcm_uframes_t val), (pcm, params, val))
VESK_ALSA (int, snd_pcm_sw_params_set_silence_threshold, absent, (snd_pcm_t * pcm, snd_pcm_sw_params_t* params, snd_pcm_uframes_t val), (pcm, params, val))
VESK_ALSA (int, snd_pcm_sw_params_set_start_threshold, absent, (snd_pcm_t * pcm, snd_pcm_sw_params_t* params, snd_pcm_uframes_t val), (pcm, params, val))
VESK_ALSA (int, snd_pcm_sw_params_set_stop_threshold, absent, (snd_pcm_t * pcm, snd_pcm_sw_params_t* params, snd_pcm_uframes_t val), (pcm, params, val))
VESK_ALSA (size_t, snd_pcm_sw_params_sizeof, 0, (), ())

// The sequencer: the MIDI ports.
VESK_ALSA (int, snd_seq_open, absent, (snd_seq_t * *handle, const char* name, int streams, int mode), (handle, name, streams, mode))
VESK_ALSA (int, snd_seq_close, absent, (snd_seq_t * handle), (handle))
VESK_ALSA (int, snd_seq_nonblock, absent, (snd_seq_t * handle, int nonblock), (handle, nonblock))
VESK_ALSA (int, snd_seq_client_id, absent, (snd_seq_t * handle), (handle))
VESK_ALSA (int, snd_seq_set_client_name, absent, (snd_seq_t * seq, const char* name), (seq, name))
VESK_ALSA (int, snd_seq_system_info, absent, (snd_seq_t * handle, snd_seq_system_info_t* info), (handle, info))
VESK_ALSA (int, snd_seq_system_info_get_cur_clients, 0, (const snd_seq_system_info_t* info), (info))
VESK_ALSA (size_t, snd_seq_system_info_sizeof, 0, (), ())
VESK_ALSA (int, snd_seq_query_next_client, absent, (snd_seq_t * handle, snd_seq_client_info_t* info), (handle, info))
VESK_ALSA (int, snd_seq_client_info_get_client, absent, (const snd_seq_client_info_t* info), (info))
VESK_ALSA (int, snd_seq_client_info_get_num_ports, 0, (const snd_seq_client_info_t* info), (info))
VESK_ALSA (size_t, snd_seq_client_info_sizeof, 0, (), ())
VESK_ALSA (int, snd_seq_query_next_port, absent, (snd_seq_t * handle, snd_seq_port_info_t* info), (handle, info))
VESK_ALSA (unsigned int, snd_seq_port_info_get_capability, 0, (const snd_seq_port_info_t* info), (info))
VESK_ALSA (const char*, snd_seq_port_info_get_name, nullptr, (const snd_seq_port_info_t* info), (info))
VESK_ALSA (int, snd_seq_port_info_get_port, absent, (const snd_seq_port_info_t* info), (info))
VESK_ALSA_VOID (snd_seq_port_info_set_client, (snd_seq_port_info_t * info, int client), (info, client))
VESK_ALSA_VOID (snd_seq_port_info_set_port, (snd_seq_port_info_t * info, int port), (info, port))
VESK_ALSA (size_t, snd_seq_port_info_sizeof, 0, (), ())
VESK_ALSA (int, snd_seq_create_simple_port, absent, (snd_seq_t * seq, const char* name, unsigned int caps, unsigned int type), (seq, name, caps, type))
VESK_ALSA (int, snd_seq_delete_simple_port, absent, (snd_seq_t * seq, int port), (seq, port))
VESK_ALSA (int, snd_seq_connect_from, absent, (snd_seq_t * seq, int myPort, int sourceClient, int sourcePort), (seq, myPort, sourceClient, sourcePort))
VESK_ALSA (int, snd_seq_connect_to, absent, (snd_seq_t * seq, int myPort, int destinationClient, int destinationPort), (seq, myPort, destinationClient, destinationPort))
VESK_ALSA (int, snd_seq_poll_descriptors_count, 0, (snd_seq_t * handle, short events), (handle, events))
VESK_ALSA (int, snd_seq_poll_descriptors, 0, (snd_seq_t * handle, struct pollfd* pfds, unsigned int space, short events), (handle, pfds, space, events))
VESK_ALSA (int, snd_seq_event_input, absent, (snd_seq_t * handle, snd_seq_event_t** ev), (handle, ev))
VESK_ALSA (int, snd_seq_event_input_pending, 0, (snd_seq_t * seq, int fetchSequencer), (seq, fetchSequencer))
VESK_ALSA (int, snd_seq_event_output_direct, absent, (snd_seq_t * handle, snd_seq_event_t* ev), (handle, ev))
VESK_ALSA (int, snd_seq_free_event, 0, (snd_seq_event_t * ev), (ev))

// MIDI bytes to and from sequencer events.
VESK_ALSA (int, snd_midi_event_new, absent, (size_t bufsize, snd_midi_event_t** rdev), (bufsize, rdev))
VESK_ALSA_VOID (snd_midi_event_free, (snd_midi_event_t * dev), (dev))
VESK_ALSA_VOID (snd_midi_event_reset_decode, (snd_midi_event_t * dev), (dev))
VESK_ALSA_VOID (snd_midi_event_reset_encode, (snd_midi_event_t * dev), (dev))
VESK_ALSA (long, snd_midi_event_decode, absent, (snd_midi_event_t * dev, unsigned char* buf, long count, const snd_seq_event_t* ev), (dev, buf, count, ev))
VESK_ALSA (long, snd_midi_event_encode, absent, (snd_midi_event_t * dev, const unsigned char* buf, long count, snd_seq_event_t* ev), (dev, buf, count, ev))
