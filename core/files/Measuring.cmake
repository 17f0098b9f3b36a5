target_sources(tidewell-core PRIVATE
)
